// The GStreamer caps of the ASF reader's media types, as the platform's RIFF
// mapping gives them for the same video and wave format headers, with the
// codec's private data and, for video, the pixel aspect ratio that the
// header's pixel densities give.
#pragma once

#include "WMMediaType.h"

#include <gst/gst.h>

// New caps for a video (VIDEOINFOHEADER) or audio (WAVEFORMATEX) type, or
// null when the format block is not one of those or the codec is unknown.
GstCaps* CapsForASFType(const WM_MEDIA_TYPE& mt);
