#include "SkinItem.h"

#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kSkinItemProperty = "korvoSkinItem";

} // namespace

const char* const g_skinImageAttributes[SKINIMAGE_COUNT] = {
    "onsetfocus", "onkillfocus", "onmaximize", "imagefill", "imageempty", "imageknob",
    "onplaying",  "onpause",     "onstop",     "onmute",    "onrepeat",
};

CSkinItem* CSkinItem::FromWindow(const QWidget* pWnd)
{
    if (pWnd == nullptr)
        return nullptr;
    return static_cast<CSkinItem*>(pWnd->property(kSkinItemProperty).value<void*>());
}

void CSkinItem::Attach(QWidget* pWnd, CSkinItem* pItem)
{
    pWnd->setProperty(kSkinItemProperty, QVariant::fromValue(static_cast<void*>(pItem)));
}

void CSkinItem::ApplyColorKey()
{
    for (QPixmap& image : m_images) {
        if (!image.isNull())
            image = QPixmap::fromImage(skinvalue::KeyedImage(image.toImage(), m_clrTransparent));
    }
}
