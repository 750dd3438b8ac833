#include "MediaGraph.h"

#include <gst/gst.h>

void InitMediaGraph()
{
    gst_init(nullptr, nullptr);
}
