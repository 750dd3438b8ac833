// The disc clips that the graph controller's and the player window's tests
// open: square pixels, and pixels 4:3, 16:11 (both shown 16:9) and 3:4 in
// the three containers, each with the size it must be shown at.
#pragma once

#include "TestMedia.h"

#include <QSize>
#include <ostream>
#include <vector>

struct DiscClip {
    const char* name;
    TestMedia container;
    int width;
    int height;
    int parN;
    int parD;
    // Wide pixels widen the picture, tall ones heighten it.
    QSize display;

    std::string Path() const { return DiscClipPath(container, width, height, parN, parD); }
};

const std::vector<DiscClip>& DiscClips();

void PrintTo(const DiscClip& clip, std::ostream* pOut);
