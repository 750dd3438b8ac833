// Chooses the sinks at the ends of the graph's renderer chains: the first
// sound device that opens, and the video sink of a path (the run's own by
// default) that opens and can draw into a foreign window, filling the
// rectangle it is given whatever the picture's shape; a sink that can not
// start gives way to the one of the path below, with a trace. Without a device (no sound server, no display) the
// stream goes to a null sink synchronised to the clock, so that the file
// still plays at its own pace; a trace says so.
#pragma once

#include "VideoPath.h"

#include <gst/gst.h>

class CSinkFactory {
public:
    // A new sink with a floating reference, named `pszName`.
    static GstElement* MakeAudioSink(const char* pszName);
    // `windowHandle` is the native window the picture goes into; 0 when
    // there is no display.
    static GstElement* MakeVideoSink(const char* pszName, guintptr windowHandle,
                                     VideoPath path = CVideoPath::ForThisRun());
    // True for a sink that draws pictures at their own size (plain X
    // images): they must come scaled to its window.
    static bool NeedsScaledPictures(GstElement* pSink);
    // A sink that consumes a stream at the clock's pace and shows nothing.
    static GstElement* MakeNullSink(const char* pszName);

private:
    static GstElement* _OpenFirst(const char* const* ppszFactories, const char* pszName, guintptr windowHandle);
};
