// Bounds how many of a pin's samples are downstream at a time: the pin takes
// a place before it reads a sample, and the place comes back when GStreamer
// frees the buffer that carries the sample, on whatever thread that is.
// While flushing, taking a place fails at once, and a pin waiting for one
// wakes and fails, so that a seek or a stop never waits for downstream.
//
// Threads: the pin's streaming task takes places; any thread gives them back
// (the buffer's last unref); the application's threads switch flushing.
// m_lock guards m_cOut and m_isFlushing and is never held while calling out.
// Ownership: shared between the pin and every buffer in flight (see
// ASFSourceFilterOutputPin), so that a buffer freed after its pin still has
// its gate.
#pragma once

#include <condition_variable>
#include <mutex>

class CSampleGate {
public:
    explicit CSampleGate(unsigned cMax) : m_cMax(cMax) {}

    // True with a place taken, false while flushing.
    bool Acquire();
    void Release();
    void SetFlushing(bool fFlushing);

private:
    const unsigned m_cMax;
    std::mutex m_lock;
    std::condition_variable m_freed;
    unsigned m_cOut = 0;
    bool m_isFlushing = false;
};
