// Plays a file through a GStreamer pipeline around a source element, with
// every decoded stream ending in a fake sink, and tells how it ended.
#pragma once

#include <atomic>
#include <gst/gst.h>
#include <string>

// Loads the BrelmSource plugin from the build tree into this process (once).
void LoadBrelmSourcePlugin();

// Push: a queue sits between the source and the decoder, which makes the
// source push. EachPad: every source pad, including those the source adds
// as it starts, pushes through a queue and a decoder of its own.
enum class PullOrPush { Pull, Push, EachPad };

struct PlayOutcome {
    bool isEndOfStream = false;
    bool isTimedOut = false;
    std::string error;
    gint64 durationNs = -1;
    // The end of the latest decoded buffer that reached a sink.
    gint64 playedEndNs = -1;
    // The position right after a seek, when one was asked for.
    gint64 seekedPositionNs = -1;
};

class CPipelineRunner {
public:
    // Takes the source's reference.
    CPipelineRunner(GstElement* pSource, PullOrPush mode);
    ~CPipelineRunner();
    CPipelineRunner(const CPipelineRunner&) = delete;
    CPipelineRunner& operator=(const CPipelineRunner&) = delete;

    // Prerolls, seeks to seekNs when it is not negative, then plays to the
    // end; a pipeline that neither ends nor fails within a minute has hung.
    PlayOutcome Play(gint64 seekNs = -1);

    GstElement* Pipeline() const { return m_pPipeline; }

private:
    static void _LinkToFakeSink(GstElement* pDecoder, GstPad* pPad, gpointer pRunner);
    static void _OnSourcePad(GstElement* pSource, GstPad* pPad, gpointer pRunner);
    void _AddDecoder(GstPad* pSourcePad, bool withQueue);
    static void _OnHandoff(GstElement* pSink, GstBuffer* pBuffer, GstPad* pPad, gpointer pRunner);
    bool _WaitFor(GstMessageType type, PlayOutcome* pOutcome);

    GstElement* m_pPipeline;
    std::atomic<gint64> m_playedEndNs{-1};
};

// A new source of the factory (by default ours) reading `path`.
GstElement* MakeFileSource(const std::string& path, const char* pszFactory = "brelmasyncfilesrc");
