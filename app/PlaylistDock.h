// The playlist window docked to the player window: made docked to the
// player's right edge, carried along when the player moves or changes size
// (to a side with room for it), kept with the player inside the work area
// of the player's monitor, and set aside while the player is full screen.
// The player window owns it; the playlist is a child of the player.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <deque>
#include <string>

class CPlaylistDlg;
class QWidget;

class CPlaylistDock {
public:
    explicit CPlaylistDock(QWidget& player) : m_player(player) {}

    // Makes the playlist from the skin archive or folder `skin` (the
    // built-in skin when empty); null until then.
    CPlaylistDlg* Create(const std::string& skin);
    CPlaylistDlg* Playlist() const { return m_pPlaylist; }
    // Builds the playlist again from `skin`, docked where it was beside the
    // player; false, with the report, when that skin cannot be built.
    bool ChangeSkin(const std::string& skin);

    // The player moved or changed size.
    void Carry();
    // The player and its docked playlist in the middle of the work area of
    // the monitor under the pointer.
    void CentreOnScreen();
    // Moves the player, at `size`, and a docked playlist with it, back inside
    // the work area.
    void KeepOnScreen(const QSize& size);
    // The work area of the monitor the player is on.
    QRect WorkArea() const;
    // The player's window state changed, to or from full screen.
    void OnWindowStateChange();

private:
    QRect _Beside(const QRect& player) const;
    // The docked playlist's rectangle to carry on from: where the carry
    // last put it, while the X server is still telling of an earlier
    // place the carry asked for (Qt's geometry takes each late report,
    // and a quick drag on a busy desktop would lose steps of the carry).
    QRect _Carried() const;
    void _CarryTo(const QPoint& pt);

    QWidget& m_player;
    CPlaylistDlg* m_pPlaylist = nullptr;
    // Where the player was at the last move, for carrying the playlist.
    QPoint m_previousPosition;
    // The last places the carry asked for, the newest last, and the time
    // since the newest.
    std::deque<QPoint> m_carriedTo;
    QElapsedTimer m_sinceCarry;
    // The playlist was shown when full screen began, and is hidden until
    // it ends.
    bool m_bAside = false;
    // The skin changed: the next carry places the playlist beside the
    // player of the new size.
    bool m_bPlaceBeside = false;
};
