// The skin of the player window and of its playlist: built at start-up from
// the skin named on the command line, else the one the user chose last, else
// the built-in one; switched while a file plays from the "Skin" menu, from a
// skin the user opens, or from a skin package handed to the player, which
// is installed into the user's skin folder first. A switch keeps the file
// playing at its position, the playlist, the volume and the full-screen
// mode; a skin that fails its check or its build is reported and the skin
// before stays. Lives on the user-interface thread; a member of the player
// window, whose parts it is given outlive it, and owner of the skin manager.
#pragma once

#include "skinui/KorvoUIManager.h"

#include <QSize>
#include <functional>
#include <memory>
#include <string>

class CDirectShow;
class CPlaybackControl;
class CPlaybackDisplay;
class CPlaylistDock;
class CScreenWnd;
class CSkinMenu;
class CVideoGeometry;
class QAction;
class QDialog;
class QMenu;

class CPlayerSkin {
public:
    // The parts of the player window that show what the skin holds.
    struct Parts {
        QDialog& window;
        CDirectShow& graph;
        CPlaybackControl& control;
        CPlaybackDisplay& display;
        CPlaylistDock& dock;
        CVideoGeometry& geometry;
        CScreenWnd& screen;
        std::function<void()> showLastReport;
    };

    explicit CPlayerSkin(Parts parts);
    ~CPlayerSkin();

    // Builds the start-up skin and sizes the window for it; false, with the
    // report shown, when not even the built-in skin can be built. A
    // remembered skin that fails is reported and, unless the failure may
    // pass (RememberedSkin.h), forgotten.
    bool Build();
    // Null until Build succeeded.
    CKorvoUIManager* Manager() const { return m_pSkin.get(); }

    // Adds the "Skin" submenu to `pMenu` before its entry `pBefore`; its
    // entries reach the window as commands (OnCommand).
    void AddMenu(QMenu* pMenu, QAction* pBefore, const std::function<void(int)>& onCommand);
    // Carries out a command of the skin menu; false for any other command.
    bool OnCommand(int nID);
    // Switches to `skin` (an archive or folder; empty for the built-in
    // skin) and remembers it; false, with the report shown, when it cannot
    // be used.
    bool Switch(const std::string& skin);
    // A skin package handed to the player: after the user's confirmation it
    // is installed and switched to (once the event loop runs). False for a
    // file that is not a skin package, which is for playing.
    bool OpenPackage(const std::string& file);

private:
    std::unique_ptr<CKorvoUIManager> _Make(const std::string& skin);
    void _Take(std::unique_ptr<CKorvoUIManager> pSkin);
    void _FitWindow();
    QSize _PlayerSize();
    void _ShowPlaybackState();
    void _OpenSkinFile();
    void _Install(const std::string& package);

    Parts m_parts;
    std::unique_ptr<CKorvoUIManager> m_pSkin;
    CSkinMenu* m_pMenu = nullptr;
};
