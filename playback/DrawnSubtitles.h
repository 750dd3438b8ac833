// Subtitle streams that GStreamer draws itself: SubStation streams (ASS and
// SSA) with their styles, positions and fonts, and bitmap streams (DVD, DVB
// and Blu-ray subpictures). A subtitleoverlay heads the video chain; it
// passes the pictures through untouched until a stream reaches its subtitle
// input, then builds the renderer that stream's kind needs (assrender,
// dvdspu, ...). Every such stream of the file goes into one input-selector
// in front of that input: the chosen one passes, the others wait in step
// with it and are answered as if shown (always-ok), so that the
// demultiplexer goes on as with a null sink. While no stream of these kinds
// is shown the overlay is silent.
//
// Threads: streams arrive and the video chain is made on streaming threads
// (AddStream, MakeElement, Link), one at a time (the graph's render lock is
// held around them); the user-interface thread shows, hides
// and sets the delay. m_lock guards m_pOverlay, m_pSelector, m_rtDelay and
// m_bShowing and is a leaf: the elements are linked and driven after it is released
// (the overlay made, still outside the pipeline, is set up under it).
// Ownership: the pipeline owns both elements; this object holds a reference
// on each, released when it goes.
#pragma once

#include "common/ComTypes.h"

#include <gst/gst.h>
#include <mutex>
#include <string>

class CDrawnSubtitles {
public:
    CDrawnSubtitles() = default;
    ~CDrawnSubtitles();
    CDrawnSubtitles(const CDrawnSubtitles&) = delete;
    CDrawnSubtitles& operator=(const CDrawnSubtitles&) = delete;

    // Whether a stream of this media type is drawn here (its renderer is
    // installed).
    static bool Draws(const std::string& mediaType);

    // The overlay for the head of the video chain (floating), made once;
    // null where GStreamer has none.
    GstElement* MakeElement();
    // A new selector input for a stream (a new reference); the selector
    // joins `pBin` with the first stream. Null when none can be made.
    GstPad* AddStream(GstBin* pBin);
    // Links the selector to the overlay once both are in the pipeline,
    // whichever came first.
    void Link();
    // Passes the stream of selector input `pInput` to the overlay, or none
    // (null): the overlay is silent then.
    void Show(GstPad* pInput);
    // Positive: the subtitles come later than the file says.
    void SetDelay(LONGLONG rtDelay);

private:
    // References to the elements made so far, released with it.
    struct Elements {
        GstElement* pOverlay;
        GstElement* pSelector;
        ~Elements();
    };
    Elements _Elements() const;
    static void _Delay(GstElement* pSelector, LONGLONG rtDelay);

    mutable std::mutex m_lock;
    GstElement* m_pOverlay = nullptr;
    GstElement* m_pSelector = nullptr;
    LONGLONG m_rtDelay = 0;
    bool m_bShowing = false;
};
