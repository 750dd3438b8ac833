#include "ScreenLogo.h"

#include "common/Report.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"
#include "winsys/WindowSystem.h"

#include <QMessageBox>

namespace {

constexpr unsigned kLogoControlId = 0xFFFF;

} // namespace

CScreenLogo::CScreenLogo(QWidget* pScreenWnd, CDirectShow* pDirectShow) : CAnimatedLogo(pScreenWnd)
{
    setProperty("controlId", kLogoControlId);
    hide();
    if (!LoadFromResource(IDR_LOGO_GIF, "GIF")) {
        ReportError(ERROR_NOT_FOUND, "Can not load Ani GIF");
        QMessageBox::warning(pScreenWnd, QStringLiteral("korvoplayer"), QString::fromStdString(LastReport()));
    }
    pDirectShow->SetNoPictureSize(GetPictureSize());
    CPlaybackEvents* pEvents = &pDirectShow->Events();
    connect(pEvents, &CPlaybackEvents::FileOpened, this,
            [this](const QString&, bool bHasVideo) { _OnFileOpened(bHasVideo); });
    connect(pEvents, &CPlaybackEvents::StateChanged, this, &CScreenLogo::_OnStateChanged);
}

void CScreenLogo::Place(const RECT& rect)
{
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    repaint();
}

void CScreenLogo::_OnFileOpened(bool bHasVideo)
{
    m_bPaused = false;
    if (bHasVideo)
        return;
    show();
    StartAnimation();
}

// A resumed file animates the logo whether it is shown or not, as a pause
// ends the animation either way.
void CScreenLogo::_OnStateChanged(int nState)
{
    if (nState == State_Paused) {
        m_bPaused = true;
        StopAnimation();
    } else if (nState == State_Running && m_bPaused) {
        m_bPaused = false;
        StartAnimation();
    } else if (nState == State_Stopped) {
        m_bPaused = false;
        hide();
        if (IsPlaying())
            StopAnimation();
    }
}
