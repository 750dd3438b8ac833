// The reference count of a filter that lives inside a GStreamer element:
// the element's own count.
#pragma once

#include "common/ComTypes.h"

#include <gst/gst.h>

inline ULONG AddElementRef(GstElement* pElement)
{
    gst_object_ref(pElement);
    return GST_OBJECT_REFCOUNT_VALUE(pElement);
}

// The count as it will be: the last unref destroys the element.
inline ULONG ReleaseElementRef(GstElement* pElement)
{
    ULONG count = GST_OBJECT_REFCOUNT_VALUE(pElement) - 1;
    gst_object_unref(pElement);
    return count;
}
