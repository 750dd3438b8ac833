// A PulseAudio server of the test's own, with one null sink, in a private
// runtime folder that this process's sound clients are pointed at. Stop
// kills it as a crash would; Start brings it back on the same folder.
#pragma once

#include "TempDir.h"

#include <QProcess>
#include <cstdint>
#include <string>
#include <vector>

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
    // The null sink's monitor over `msLength`: its first channel, 16-bit,
    // kMonitorRate samples a second (serving the event loop meanwhile).
    std::vector<int16_t> Heard(int msLength) const;
    static constexpr int kMonitorRate = 8000;
    // The pitch heard at the null sink's monitor over `msLength`, in hertz
    // (from the crossings of zero of its first channel); 0 for silence.
    double HeardFrequency(int msLength) const;
    // The longest run of silence in `samples` between the first sound and
    // the last, in milliseconds.
    static int LongestGapMs(const std::vector<int16_t>& samples);

private:
    bool _Answers() const;

    CTempDir m_dir;
    QProcess m_server;
};
