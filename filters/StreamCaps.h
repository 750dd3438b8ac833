// The caps under which the asynchronous file source offers its file: the
// container its pin guessed, told apart further by the first bytes where
// GStreamer's parsers need it.
#pragma once

#include "FilterTypes.h"

#include <gst/gst.h>

// New caps for the pin's media type and the file's first 16 bytes, or null
// when the platform's type finding should decide.
GstCaps* CapsForStream(const AM_MEDIA_TYPE& mt, const BYTE* pbHeader);
