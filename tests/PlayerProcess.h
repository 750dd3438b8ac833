// A korvoplayer process started by a test, ended by the test if it still runs.
#pragma once

#include <QProcess>
#include <QStringList>
#include <functional>

class CPlayerProcess {
public:
    // Runs in `workingDirectory` when one is given, else in this process's.
    explicit CPlayerProcess(const QStringList& arguments = {}, const QString& workingDirectory = {});
    ~CPlayerProcess();
    CPlayerProcess(const CPlayerProcess&) = delete;
    CPlayerProcess& operator=(const CPlayerProcess&) = delete;

    // Waits for the process to end while this process keeps answering its own
    // events (an in-process player window must stay responsive).
    bool WaitForExit(int timeoutMs);
    bool IsRunning() const;
    int ExitCode() const;

    // Asks the player to end, as a session manager would.
    void Terminate();

private:
    QProcess m_process;
};

// Processes events until `condition` holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
