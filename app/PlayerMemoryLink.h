// The player window and what the player remembers between runs: the volume
// the last run left is the window's before the first file plays, and every
// change of it is remembered; the menu's "Resume Where Left Off" shows and
// switches resuming (off for this run with --no-resume); Home starts the
// open file from its beginning; where a file resumed is shown for a moment
// on the picture. Lives no longer than the window.
#pragma once

#include "memory/PlaybackMemory.h"

#include <QObject>

class CKorvoPlayerDlg;
class QAction;

class CPlayerMemoryLink : public QObject {
    Q_OBJECT

public:
    explicit CPlayerMemoryLink(CKorvoPlayerDlg& dlg);

private:
    void _OnCommand(int nID);

    CKorvoPlayerDlg& m_dlg;
    CPlaybackMemory m_memory;
    // The menu's "Resume Where Left Off", checked while resuming is on.
    QAction* m_pResumeEntry;
};
