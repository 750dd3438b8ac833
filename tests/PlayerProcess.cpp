#include "PlayerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

CPlayerProcess::CPlayerProcess(const QStringList& arguments, const QString& workingDirectory)
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    if (!workingDirectory.isEmpty())
        m_process.setWorkingDirectory(workingDirectory);
    m_process.start(QStringLiteral(KORVOPLAYER_PATH), arguments);
    m_process.waitForStarted();
}

CPlayerProcess::~CPlayerProcess()
{
    if (IsRunning()) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool CPlayerProcess::WaitForExit(int timeoutMs)
{
    return WaitUntil([this] { return !IsRunning(); }, timeoutMs);
}

bool CPlayerProcess::IsRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

int CPlayerProcess::ExitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void CPlayerProcess::Terminate()
{
    m_process.terminate();
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}
