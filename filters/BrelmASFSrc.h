// The GStreamer element of the ASF source: a "video" and an "audio" source
// pad, each pushed by its pin's streaming task. The file comes through the
// "location" property or a file:// URI; seeks arrive as seek events on
// either pad or on the element and move both pins at once.
#pragma once

#include "common/ComTypes.h"

#include <glib-object.h>

class CASFSourceFilter;

GType brelm_asf_src_get_type();

// The filter of an element of that type.
CASFSourceFilter* ASFSourceFilterOf(gpointer pElement);

// The class table's creation function: a new element, returned as its
// filter with one reference (the element's own).
IUnknown* CreateASFSourceFilter(IUnknown* pUnkOuter, HRESULT* phr);
