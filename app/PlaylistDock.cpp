#include "PlaylistDock.h"

#include "DockPlacement.h"
#include "Monitor.h"
#include "skinui/PlaylistDlg.h"

#include <QScreen>
#include <algorithm>
#include <utility>

namespace {

constexpr QSize kPlaylistSize(238, 302);
// The carry's requests that the X server may still tell of late, and for
// how long after the last.
constexpr std::size_t kCarriesRemembered = 16;
constexpr qint64 kLateReportMs = 2000;

} // namespace

// The playlist starts docked to the player's right edge, at the size its
// skin gives it; it is shown with the player and does not take the
// activation from it.
CPlaylistDlg* CPlaylistDock::Create(const std::string& skin)
{
    m_pPlaylist = new CPlaylistDlg(&m_player);
    m_pPlaylist->setAttribute(Qt::WA_ShowWithoutActivating);
    const QSize size = m_pPlaylist->OnInitDialog(skin) ? m_pPlaylist->size() : kPlaylistSize;
    const QRect player = m_player.geometry();
    m_pPlaylist->PlaceWindow(QRect(QPoint(player.x() + player.width(), player.y()), size));
    m_pPlaylist->SetCurrentIndex(0);
    m_previousPosition = player.topLeft();
    return m_pPlaylist;
}

// A docked playlist keeps its side at its new size, beside the player as it
// is now or, in full screen, as it is when full screen ends.
bool CPlaylistDock::ChangeSkin(const std::string& skin)
{
    if (m_pPlaylist == nullptr)
        return false;
    const bool bChanged = m_pPlaylist->ChangeSkin(skin);
    m_bPlaceBeside = true;
    Carry();
    return bChanged;
}

// A docked playlist keeps to its side of the player, keeping its size, on
// the player's monitor, or goes to a side with room for it. In full screen
// it is hidden and stays where it was, for the player's return. After a
// change of skin it is placed beside the player anew.
void CPlaylistDock::Carry()
{
    if (m_player.isFullScreen())
        return;
    const QRect player = m_player.geometry();
    const QPoint moved = player.topLeft() - m_previousPosition;
    m_previousPosition = player.topLeft();
    if (m_pPlaylist == nullptr || m_pPlaylist->GetDockSide() == DOCK_NONE)
        return;
    if (std::exchange(m_bPlaceBeside, false))
        m_pPlaylist->PlaceWindow(_Beside(player));
    else
        _CarryTo(DockedPlaylistPlace(_Carried(), m_pPlaylist->GetDockSide(), player, moved, WorkArea()).topLeft());
}

void CPlaylistDock::_CarryTo(const QPoint& pt)
{
    m_carriedTo.push_back(pt);
    if (m_carriedTo.size() > kCarriesRemembered)
        m_carriedTo.pop_front();
    m_sinceCarry.start();
    m_pPlaylist->move(pt);
}

// A place the playlist has now that is not one the carry asked for was
// given by something else (the playlist's own drag, the window manager),
// and counts as it is.
QRect CPlaylistDock::_Carried() const
{
    QRect rc = m_pPlaylist->geometry();
    if (m_sinceCarry.isValid() && m_sinceCarry.elapsed() < kLateReportMs &&
        std::find(m_carriedTo.begin(), m_carriedTo.end(), rc.topLeft()) != m_carriedTo.end())
        rc.moveTopLeft(m_carriedTo.back());
    return rc;
}

// The docked playlist beside the player at `player`, as it was placed last.
QRect CPlaylistDock::_Beside(const QRect& player) const
{
    if (m_pPlaylist == nullptr)
        return player;
    return PlaylistBeside(m_pPlaylist->geometry(), m_pPlaylist->GetDockSide(), player, QPoint());
}

// Where window managers put new windows.
void CPlaylistDock::CentreOnScreen()
{
    const QRect pair = m_player.geometry() | _Beside(m_player.geometry());
    if (QScreen* pScreen = MonitorUnderPointer())
        m_player.move(m_player.pos() + pScreen->availableGeometry().center() - pair.center());
    KeepOnScreen(m_player.size());
}

// A size taken from the skin or a picture may put the pair past the work
// area's edges; the top left edge wins when the pair is larger.
void CPlaylistDock::KeepOnScreen(const QSize& size)
{
    const QRect player(m_player.pos(), size);
    QRect pair = player;
    if (m_pPlaylist != nullptr && m_pPlaylist->GetDockSide() != DOCK_NONE)
        pair |= _Beside(player);
    const QPoint shift = KeptInside(pair, WorkArea()).topLeft() - pair.topLeft();
    if (!shift.isNull())
        m_player.move(m_player.pos() + shift);
}

QRect CPlaylistDock::WorkArea() const
{
    QScreen* pScreen = MonitorOf(m_player.geometry());
    return pScreen != nullptr ? pScreen->availableGeometry() : m_player.geometry();
}

// A shown playlist is hidden while the player is full screen.
void CPlaylistDock::OnWindowStateChange()
{
    if (m_pPlaylist == nullptr)
        return;
    if (m_player.isFullScreen() && m_pPlaylist->isVisible()) {
        m_bAside = true;
        m_pPlaylist->hide();
    } else if (!m_player.isFullScreen() && std::exchange(m_bAside, false)) {
        m_pPlaylist->show();
    }
}
