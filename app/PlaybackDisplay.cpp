#include "PlaybackDisplay.h"

#include "CommandIds.h"
#include "controls/BitmapSlider.h"
#include "controls/TransparentStatic.h"
#include "skin/UIManager.h"

#include <QString>
#include <filesystem>

void CPlaybackDisplay::FindControls(CUIManager& skin)
{
    m_pTimeSlider = qobject_cast<CBitmapSlider*>(skin.GetControl(IDC_SLIDER_TIME));
    m_pVolumeSlider = qobject_cast<CBitmapSlider*>(skin.GetControl(IDC_SLIDER_VOLUME));
    m_pTimeText = qobject_cast<CTransparentStatic*>(skin.GetControl(IDC_TXT_TIMEINFO));
    m_pTitle = qobject_cast<CTransparentStatic*>(skin.GetControl(IDC_TITLE));
}

void CPlaybackDisplay::ShowTitle(const std::string& fileName)
{
    if (m_pTitle != nullptr)
        m_pTitle->SetText(std::filesystem::path(fileName).filename().string().c_str());
}

// The time slider spans the duration in seconds.
void CPlaybackDisplay::ShowDuration(int nTotal)
{
    m_nTotalSeconds = nTotal;
    _ShowTimeText(0);
    if (m_pTimeSlider != nullptr)
        m_pTimeSlider->SetRangeMinMax(0, nTotal, false);
}

void CPlaybackDisplay::ShowPosition(int nSecond)
{
    _ShowTimeText(nSecond);
    if (m_pTimeSlider != nullptr)
        m_pTimeSlider->SetPos(nSecond);
}

void CPlaybackDisplay::ShowVolume(int nVolume)
{
    if (m_pVolumeSlider == nullptr)
        return;
    m_pVolumeSlider->SetRangeMinMax(0, 100, false);
    m_pVolumeSlider->SetPos(nVolume);
}

void CPlaybackDisplay::_ShowTimeText(int nSecond)
{
    if (m_pTimeText == nullptr)
        return;
    const int n = nSecond;
    const int t = m_nTotalSeconds;
    m_pTimeText->SetText(QString::asprintf("%02d:%02d:%02d/%02d:%02d:%02d", n / 3600, n % 3600 / 60, n % 60, t / 3600,
                                           t % 3600 / 60, t % 60)
                             .toLatin1()
                             .constData());
}
