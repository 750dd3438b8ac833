// The GStreamer element of the asynchronous file source: a random-access
// source whose reads go through the filter's reader pin straight from the
// file into the buffers that parsers pull (or that it pushes itself). The
// file comes through the "location" property or a file:// URI.
#pragma once

#include "common/ComTypes.h"

#include <glib-object.h>

class CAsyncFileSourceFilter;

GType brelm_async_file_src_get_type();

// The class table's creation function: a new element, returned as its
// filter with one reference (the element's own).
IUnknown* CreateAsyncFileSourceFilter(IUnknown* pUnkOuter, HRESULT* phr);
