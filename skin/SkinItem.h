// The skin record of one control (or of a skinned window): everything the
// skin document says about it, its two layout rectangles and its images.
#pragma once

#include "winsys/Rect.h"
#include "SkinValues.h"

#include <QPixmap>
#include <array>
#include <string>

class QWidget;

// The record's images, in the order of its image slots.
enum SkinImage {
    SKINIMAGE_ONSETFOCUS,
    SKINIMAGE_ONKILLFOCUS,
    SKINIMAGE_ONMAXIMIZE,
    SKINIMAGE_IMAGEFILL,
    SKINIMAGE_IMAGEEMPTY,
    SKINIMAGE_IMAGEKNOB,
    SKINIMAGE_ONPLAYING,
    SKINIMAGE_ONPAUSE,
    SKINIMAGE_ONSTOP,
    SKINIMAGE_ONMUTE,
    SKINIMAGE_ONREPEAT,
    SKINIMAGE_COUNT
};

// The attribute that names each image, in slot order.
extern const char* const g_skinImageAttributes[SKINIMAGE_COUNT];

class CSkinItem {
public:
    CSkinItem() = default;
    virtual ~CSkinItem() = default;
    CSkinItem(const CSkinItem&) = delete;
    CSkinItem& operator=(const CSkinItem&) = delete;

    // The record attached to a window, or null.
    static CSkinItem* FromWindow(const QWidget* pWnd);
    static void Attach(QWidget* pWnd, CSkinItem* pItem);

    QPixmap& Image(SkinImage slot) { return m_images[slot]; }
    const QPixmap& Image(SkinImage slot) const { return m_images[slot]; }
    bool HasImage(SkinImage slot) const { return !m_images[slot].isNull(); }
    // Makes the key colour of every image transparent (records drawn
    // colour-keyed).
    void ApplyColorKey();

    int m_nID = -1;
    std::string m_sType;
    std::string m_sAlign;
    std::string m_sImageAlign;
    bool m_bTransparent = false;
    COLORREF m_clrTransparent = 0;
    COLORREF m_clrForeground = 0;
    COLORREF m_clrFont = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_gaps[4] = {0, 0, 0, 0};
    int m_innerGaps[4] = {0, 0, 0, 0};
    int m_fixedSize[4] = {0, 0, 0, 0};
    std::string m_sTooltip;
    std::string m_sFontNickname;
    RECT m_rcFree;
    RECT m_rcWindow;

private:
    std::array<QPixmap, SKINIMAGE_COUNT> m_images;
};
