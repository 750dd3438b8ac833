// GStreamer's failures in the player's terms: the result code that says
// what failed (the file, the device, the decoder or the format) and the
// failure with GStreamer's own text.
#pragma once

#include "PlaybackError.h"
#include "common/ComTypes.h"

#include <gst/gst.h>

// A device failed: a sound card or server that cannot be opened, set up or
// written to.
constexpr HRESULT ERROR_IO_DEVICE = 1117;

class CGstFailure {
public:
    // The code for a GStreamer error.
    static HRESULT Code(const GError* pError);
    // The failure an error message describes: its code, the code's text,
    // the failing element's name with GStreamer's message, and the debug
    // text.
    static PlaybackError FromMessage(GstMessage* pMessage);
};
