// The replacement of a sound sink that lost its sound server: the sound
// chain's queue and sink leave the pipeline and a null sink, synchronised to
// the clock, takes their place, so that the file plays on without sound and
// its sound stream still ends (the pipeline's end of stream waits for it).
//
// The swap is made where no buffer can be on its way into the old queue:
// in a blocking probe on the output that feeds the queue, on the thread
// that streams the sound, when its next buffer or event arrives. A push
// that failed in the dying queue would end the sound stream at its source
// for good (a flushing or failed push stops the source's task), and the
// file would never end. When the sound stream has already ended upstream
// (no push will come), the user-interface thread makes the swap and hands
// the end of stream to the new sink itself.
//
// Threads and locks: Begin runs once, on the thread that learnt of the
// loss (the bus's sync handler); the probe runs on the sound's streaming
// thread; Finish on the user-interface thread. m_lock guards every member
// after Begin; no other lock of the graph is taken while it is held.
// Ownership: the pipeline owns its elements; this object holds a reference
// to the feeding pad from Begin to its destruction, and none to the
// pipeline, which outlives it.
#pragma once

#include <gst/gst.h>
#include <mutex>

class CLostSoundOutput {
public:
    // The sound chain's queue and sink, found by name in pPipeline.
    CLostSoundOutput(GstElement* pPipeline, const char* pszQueueName, const char* pszSinkName);
    ~CLostSoundOutput();
    CLostSoundOutput(const CLostSoundOutput&) = delete;
    CLostSoundOutput& operator=(const CLostSoundOutput&) = delete;

    // Any thread, once: lets a push waiting for room in the queue through
    // at once, and holds the next one at the queue's input for the swap.
    void Begin();
    // User-interface thread, after Begin: makes the swap when the sound
    // stream has ended upstream and so cannot make it itself.
    void Finish();

private:
    static GstPadProbeReturn _OnFeedHeld(GstPad* pFeed, GstPadProbeInfo* pInfo, gpointer pThis);
    void _Replace();

    GstElement* m_pPipeline;
    const char* m_pszQueueName;
    const char* m_pszSinkName;
    std::mutex m_lock;
    GstPad* m_pFeed = nullptr;
    gulong m_probe = 0;
    bool m_bReplaced = false;
};
