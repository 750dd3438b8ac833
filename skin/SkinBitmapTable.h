// The built-in skin's bitmaps: each name the skin document uses, the number
// of the bitmap resource that holds it and the size of the built-in image
// (a button image holds four frames side by side).
#pragma once

#include <span>

struct SkinBitmapEntry {
    const char* pszName;
    int nID;
    int nWidth;
    int nHeight;
};

std::span<const SkinBitmapEntry> SkinBitmapTable();

// The resource path of bitmap number `nID`.
const char* const kSkinBitmapResourceFormat = ":/bitmaps/%d.png";
