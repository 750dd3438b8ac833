// A PulseAudio server of the test's own, with one null sink, in a private
// runtime folder that this process's sound clients are pointed at. Stop
// kills it as a crash would; Start brings it back on the same folder.
#pragma once

#include "TempDir.h"

#include <QProcess>
#include <string>

class CTestSoundServer {
public:
    CTestSoundServer();
    ~CTestSoundServer();
    CTestSoundServer(const CTestSoundServer&) = delete;
    CTestSoundServer& operator=(const CTestSoundServer&) = delete;

    // True once the server answers.
    bool Start();
    void Stop();
    // What `pactl list sink-inputs` says: the streams playing to the server.
    std::string SinkInputs() const;
    // The pitch heard at the null sink's monitor over `msLength`, in hertz
    // (from the crossings of zero of its first channel); 0 for silence.
    double HeardFrequency(int msLength) const;

private:
    bool _Answers() const;

    CTempDir m_dir;
    QProcess m_server;
};
