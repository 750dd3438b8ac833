#include "SkinImageControl.h"

void CSkinImageControl::OnActivate(unsigned nState)
{
    CSkinItem* pItem = _SkinItem();
    if (pItem != nullptr && pItem->HasImage(SKINIMAGE_ONKILLFOCUS))
        _SwitchImage(nState != 0 ? SKINIMAGE_ONSETFOCUS : SKINIMAGE_ONKILLFOCUS);
}

void CSkinImageControl::OnSizeState(unsigned nType)
{
    CSkinItem* pItem = _SkinItem();
    if (pItem != nullptr && pItem->HasImage(SKINIMAGE_ONMAXIMIZE))
        _SwitchImage(nType == SIZE_MAXIMIZED ? SKINIMAGE_ONMAXIMIZE : SKINIMAGE_ONSETFOCUS);
}

void CSkinImageControl::OnPlaying()
{
    _SwitchImage(SKINIMAGE_ONPLAYING);
}

void CSkinImageControl::OnPause()
{
    _SwitchImage(SKINIMAGE_ONPAUSE);
}

void CSkinImageControl::OnStop()
{
    _SwitchImage(SKINIMAGE_ONSTOP);
}

void CSkinImageControl::OnMute()
{
    _SwitchImage(SKINIMAGE_ONMUTE);
}

bool CSkinImageControl::_SwitchImage(SkinImage slot)
{
    CSkinItem* pItem = _SkinItem();
    if (m_pCurrentImage == nullptr || pItem == nullptr || !pItem->HasImage(slot))
        return false;
    m_pCurrentImage = &pItem->Image(slot);
    _Invalidate();
    return true;
}

void CSkinImageControl::_EnsureCurrentImage()
{
    CSkinItem* pItem = _SkinItem();
    if (m_pCurrentImage == nullptr && pItem != nullptr)
        m_pCurrentImage = &pItem->Image(SKINIMAGE_ONSETFOCUS);
}
