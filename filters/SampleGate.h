// Bounds how many bytes of a pin's samples are downstream at a time: the pin
// takes room for a sample it has read before it pushes it, and the room comes
// back when GStreamer frees the buffer that carries the sample, on whatever
// thread that is. A sample larger than the whole bound goes alone, once
// nothing else is out. While flushing, taking room fails at once, and a pin
// waiting for it wakes and fails, so that a seek or a stop never waits for
// downstream.
//
// Threads: the pin's streaming task takes room; any thread gives it back
// (the buffer's last unref); the application's threads switch flushing.
// m_lock guards m_cbOut and m_isFlushing and is never held while calling out.
// Ownership: shared between the pin and every buffer in flight (see
// ASFSourceFilterOutputPin), so that a buffer freed after its pin still has
// its gate.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

class CSampleGate {
public:
    explicit CSampleGate(std::size_t cbMax) : m_cbMax(cbMax) {}

    // True with room for `cb` bytes taken, false while flushing.
    bool Acquire(std::size_t cb);
    // Gives back what one Acquire took.
    void Release(std::size_t cb);
    void SetFlushing(bool fFlushing);

private:
    bool _HasRoom(std::size_t cb) const { return m_cbOut == 0 || (cb <= m_cbMax && m_cbOut <= m_cbMax - cb); }

    const std::size_t m_cbMax;
    std::mutex m_lock;
    std::condition_variable m_freed;
    std::size_t m_cbOut = 0;
    bool m_isFlushing = false;
};
