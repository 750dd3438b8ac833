#include "PlayerSkin.h"

#include "CommandIds.h"
#include "CommandLine.h"
#include "PlaybackControl.h"
#include "PlaybackDisplay.h"
#include "PlaylistDock.h"
#include "ScreenWnd.h"
#include "VideoGeometry.h"
#include "common/Report.h"
#include "controls/HoverButton.h"
#include "playback/DirectShow.h"
#include "skinchoice/RememberedSkin.h"
#include "skinchoice/SkinCheck.h"
#include "skinchoice/SkinInstall.h"
#include "skinchoice/SkinMenu.h"
#include "skin/SkinCatalog.h"
#include "skinui/PlaylistDlg.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

namespace {

constexpr const char* kSkinFileFilter = "Skins (*.zip *.kvskin skin.xml);;All files (*)";

} // namespace

CPlayerSkin::CPlayerSkin(Parts parts) : m_parts(std::move(parts)) {}

CPlayerSkin::~CPlayerSkin() = default;

bool CPlayerSkin::Build()
{
    std::string skin = CommandLineSkin();
    const bool bRemembered = skin.empty();
    if (bRemembered)
        skin = RememberedSkin();
    std::unique_ptr<CKorvoUIManager> pSkin;
    if (!skin.empty() && (pSkin = _Make(skin)) == nullptr) {
        m_parts.showLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
        if (bRemembered)
            ForgetFailedSkin(skin);
    }
    if (pSkin == nullptr && (pSkin = _Make({})) == nullptr) {
        m_parts.showLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
        return false;
    }
    m_pSkin = std::move(pSkin);
    m_parts.geometry.SetSkin(m_pSkin.get());
    double dWidth = 1.0;
    double dHeight = 1.0;
    if (CommandLineUserRatio(&dWidth, &dHeight) == S_OK)
        m_parts.geometry.SetUserRatio(dWidth, dHeight);
    m_parts.display.FindControls(*m_pSkin);
    _FitWindow();
    m_parts.display.ShowVolume(m_parts.control.Volume());
    return true;
}

// The skin manager built on the player window, or null with its report.
std::unique_ptr<CKorvoUIManager> CPlayerSkin::_Make(const std::string& skin)
{
    auto pSkin = std::make_unique<CKorvoUIManager>();
    if (pSkin->Init(&m_parts.window, "korvoplayer", skin.empty() ? nullptr : skin.c_str()) != S_OK)
        return nullptr;
    return pSkin;
}

void CPlayerSkin::AddMenu(QMenu* pMenu, QAction* pBefore, const std::function<void(int)>& onCommand)
{
    m_pMenu = new CSkinMenu(pMenu, pBefore, onCommand);
    if (m_pSkin != nullptr)
        m_pMenu->SetCurrent(m_pSkin->SkinArchive());
}

bool CPlayerSkin::OnCommand(int nID)
{
    if (nID == ID_SKIN_OPEN) {
        _OpenSkinFile();
        return true;
    }
    std::string skin;
    if (m_pMenu == nullptr || !m_pMenu->SkinOf(nID, &skin))
        return nID >= ID_SKIN_OPEN && nID <= ID_SKIN_LAST;
    Switch(skin);
    return true;
}

// The new skin is checked whole first (both windows, every bitmap), so that
// a skin the check refuses never touches the windows. Its controls are then
// built while the old ones still stand; should that fail after all, the
// skin before is built again in its place.
bool CPlayerSkin::Switch(const std::string& skin)
{
    if (m_pSkin == nullptr)
        return false;
    if (!skin.empty() && CheckChosenSkin(skin) != S_OK) {
        m_parts.showLastReport();
        return false;
    }
    const std::string previous = m_pSkin->SkinArchive();
    std::unique_ptr<CKorvoUIManager> pSkin = _Make(skin);
    const bool bBuilt = pSkin != nullptr;
    if (!bBuilt) {
        m_parts.showLastReport();
        Trace("from %s", "CPlayerSkin::Switch()");
        if ((pSkin = _Make(previous)) == nullptr && (pSkin = _Make({})) == nullptr)
            return false;
    }
    _Take(std::move(pSkin));
    if (!bBuilt)
        return false;
    if (!m_parts.dock.ChangeSkin(m_pSkin->SkinArchive()))
        m_parts.showLastReport();
    RememberSkin(m_pSkin->SkinArchive());
    return true;
}

// The picture keeps its ratio and scale in the new skin's screen area, and
// the controls show the state of playback.
void CPlayerSkin::_Take(std::unique_ptr<CKorvoUIManager> pSkin)
{
    pSkin->m_dAspectRatio = m_pSkin->m_dAspectRatio;
    m_parts.geometry.SetSkin(pSkin.get());
    m_parts.display.FindControls(*pSkin);
    m_pSkin = std::move(pSkin);
    if (m_pMenu != nullptr)
        m_pMenu->SetCurrent(m_pSkin->SkinArchive());
    _FitWindow();
    m_parts.display.ShowAgain(m_parts.control.Volume());
    _ShowPlaybackState();
}

// The window takes the skin's minimum size and its player size
// (_PlayerSize). A maximized or full-screen window keeps its size and the
// skin is laid out in it; full screen ends at the new size.
void CPlayerSkin::_FitWindow()
{
    QDialog& window = m_parts.window;
    int cx = 0;
    int cy = 0;
    m_pSkin->GetMinimunSize(&cx, &cy);
    window.setMinimumSize(cx, cy);
    const QSize player = _PlayerSize().boundedTo(m_parts.dock.WorkArea().size()).expandedTo(window.minimumSize());
    if (m_parts.geometry.FullScreenMode() != kWindowed) {
        m_parts.geometry.SetSavedSize(player);
    } else if (!window.isMaximized()) {
        m_parts.dock.KeepOnScreen(player);
        window.resize(player);
    }
    m_pSkin->SetPlayerSize(window.width(), window.height());
    m_parts.geometry.PlaceScreen();
    if (m_parts.graph.IsOpen())
        m_parts.screen.raise();
    m_pSkin->Paint();
    m_pSkin->Dock(window.isMaximized() ? SIZE_MAXIMIZED : 0);
    window.update();
}

// The skin's size around the picture at its ratio and scale while a file is
// open (at the picture's own shape while it fills the video area), else the
// skin's own size; the skin keeps the ratio it lays the picture out by.
QSize CPlayerSkin::_PlayerSize()
{
    long lWidth = 0;
    long lHeight = 0;
    const double dRatio = m_pSkin->m_dAspectRatio;
    if (m_parts.graph.IsOpen() && m_parts.graph.GetOriginalScreenSize(&lWidth, &lHeight) == S_OK && lWidth > 0 &&
        lHeight > 0) {
        const double dShape = m_parts.geometry.AspectRatio() > 0 ? m_parts.geometry.AspectRatio()
                                                                 : static_cast<double>(lWidth) / lHeight;
        m_pSkin->SetScreenSize(static_cast<int>(lWidth), static_cast<int>(lHeight), dShape, m_parts.geometry.Scale());
    }
    int cx = 0;
    int cy = 0;
    m_pSkin->GetPlayerSize(&cx, &cy);
    m_pSkin->m_dAspectRatio = dRatio;
    return QSize(cx, cy);
}

void CPlayerSkin::_ShowPlaybackState()
{
    int nState = State_Stopped;
    m_parts.graph.GetState(0, &nState);
    if (nState == State_Running)
        m_pSkin->OnPlaying();
    else if (nState == State_Paused)
        m_pSkin->OnPause();
    CPlaylistDlg* pPlaylist = m_parts.dock.Playlist();
    auto* pRepeat = qobject_cast<CHoverButton*>(m_pSkin->GetControl(IDC_REPEAT));
    if (pPlaylist != nullptr && pPlaylist->IsRepeat() && pRepeat != nullptr)
        pRepeat->OnRepeat();
}

// A folder's skin is opened by its skin.xml.
void CPlayerSkin::_OpenSkinFile()
{
    const QString file = QFileDialog::getOpenFileName(&m_parts.window, QStringLiteral("Open Skin"), QString(),
                                                      QString::fromLatin1(kSkinFileFilter));
    if (file.isEmpty())
        return;
    std::filesystem::path path(file.toStdString());
    if (path.filename() == "skin.xml")
        path = path.parent_path();
    Switch(path.string());
}

bool CPlayerSkin::OpenPackage(const std::string& file)
{
    if (!IsSkinPackage(file))
        return false;
    QTimer::singleShot(0, &m_parts.window, [this, file] { _Install(file); });
    return true;
}

void CPlayerSkin::_Install(const std::string& package)
{
    const QString question =
        QStringLiteral("Install the skin \u201c%1\u201d?").arg(QString::fromStdString(SkinDisplayName(package)));
    if (QMessageBox::question(&m_parts.window, m_parts.window.windowTitle(), question) != QMessageBox::Yes)
        return;
    std::string installed;
    if (InstallSkin(package, &installed) != S_OK) {
        m_parts.showLastReport();
        return;
    }
    Switch(installed);
}
