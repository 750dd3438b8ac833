// One player under measurement: ours or the peer. Each starts a file from
// its name, tells the end of the stream the way its own user would learn
// it, and stops; the user-interface thread is served the same way for both
// while they play.
#pragma once

#include <string>

class CPlayback {
public:
    virtual ~CPlayback() = default;

    // Starts playing `path`, a file with a picture when `hasVideo`; false
    // (with the reason on standard error) when it cannot.
    virtual bool Start(const std::string& path, bool hasVideo) = 0;
    virtual void Stop() = 0;

    // Serves the user-interface thread until the stream ends or `msLimit`
    // has passed; true at the end of the stream.
    bool WaitForEnd(int msLimit);

protected:
    enum class Outcome { Nothing, End, Failure };

    // Waits at most `msTimeout` for the end of the stream or a failure.
    virtual Outcome _WaitForEvent(int msTimeout) = 0;
};
