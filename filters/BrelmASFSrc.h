// The GStreamer element of the ASF source: a "video" and an "audio" source
// pad, each pushed by its pin's streaming task, for the streams the file
// has. The pads come with the file (sometimes pads): at Load, or when the
// element starts on its "location" property or file:// URI. Seeks arrive as
// seek events on any pad or on the element and move every pin at once.
#pragma once

#include "common/ComTypes.h"

#include <gst/gst.h>

class CASFSourceFilter;

GType brelm_asf_src_get_type();

// A new source pad of the element's template `pszName`, not yet added, with
// the element's pad handlers; the caller owns the one reference.
GstPad* NewASFSourcePad(GstElement* pElement, const char* pszName);

// The filter of an element of that type.
CASFSourceFilter* ASFSourceFilterOf(gpointer pElement);

// The class table's creation function: a new element, returned as its
// filter with one reference (the element's own).
IUnknown* CreateASFSourceFilter(IUnknown* pUnkOuter, HRESULT* phr);
