#include "PlaybackDisplay.h"

#include "CommandIds.h"
#include "PlaybackView.h"
#include "controls/BitmapSlider.h"
#include "controls/TransparentStatic.h"
#include "playback/PlaybackEvents.h"
#include "skin/UIManager.h"

#include <QFile>
#include <QString>
#include <filesystem>

CPlaybackDisplay::CPlaybackDisplay(CPlaybackEvents& events)
{
    connect(&events, &CPlaybackEvents::FileOpened, this, &CPlaybackDisplay::_OnFileOpened);
    connect(&events, &CPlaybackEvents::DurationChanged, this, &CPlaybackDisplay::_OnDurationChanged);
    connect(&events, &CPlaybackEvents::PositionJumped, this,
            [this](LONGLONG llPosition) { ShowPosition(WholeSeconds(llPosition)); });
}

// A new file starts at its beginning.
void CPlaybackDisplay::_OnFileOpened(const QString& fileName)
{
    ShowTitle(QFile::encodeName(fileName).toStdString());
    m_nSecond = 0;
    _ShowTimeText();
}

// A file that closes leaves its time shown.
void CPlaybackDisplay::_OnDurationChanged(LONGLONG llDuration)
{
    if (llDuration > 0)
        ShowDuration(WholeSeconds(llDuration));
}

void CPlaybackDisplay::FindControls(CUIManager& skin)
{
    m_pTimeSlider = qobject_cast<CBitmapSlider*>(skin.GetControl(IDC_SLIDER_TIME));
    m_pVolumeSlider = qobject_cast<CBitmapSlider*>(skin.GetControl(IDC_SLIDER_VOLUME));
    m_pTimeText = qobject_cast<CTransparentStatic*>(skin.GetControl(IDC_TXT_TIMEINFO));
    m_pTitle = qobject_cast<CTransparentStatic*>(skin.GetControl(IDC_TITLE));
}

void CPlaybackDisplay::ShowAgain(int nVolume)
{
    if (!m_title.empty() && m_pTitle != nullptr)
        m_pTitle->SetText(m_title.c_str());
    if (m_nTotalSeconds > 0)
        ShowDuration(m_nTotalSeconds);
    ShowPosition(m_nSecond);
    ShowVolume(nVolume);
}

void CPlaybackDisplay::ShowTitle(const std::string& fileName)
{
    m_title = std::filesystem::path(fileName).filename().string();
    if (m_pTitle != nullptr)
        m_pTitle->SetText(m_title.c_str());
}

// The time slider spans the duration in seconds.
void CPlaybackDisplay::ShowDuration(int nTotal)
{
    m_nTotalSeconds = nTotal;
    _ShowTimeText();
    if (m_pTimeSlider != nullptr)
        m_pTimeSlider->SetRangeMinMax(0, nTotal, false);
}

void CPlaybackDisplay::ShowPosition(int nSecond)
{
    m_nSecond = nSecond;
    _ShowTimeText();
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

void CPlaybackDisplay::_ShowTimeText()
{
    if (m_pTimeText == nullptr)
        return;
    const int n = m_nSecond;
    const int t = m_nTotalSeconds;
    m_pTimeText->SetText(QString::asprintf("%02d:%02d:%02d/%02d:%02d:%02d", n / 3600, n % 3600 / 60, n % 60, t / 3600,
                                           t % 3600 / 60, t % 60)
                             .toLatin1()
                             .constData());
}
