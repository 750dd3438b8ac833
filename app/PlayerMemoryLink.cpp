#include "PlayerMemoryLink.h"

#include "CommandIds.h"
#include "CommandLine.h"
#include "KorvoPlayerDlg.h"
#include "MainMenu.h"
#include "ScreenWnd.h"
#include "controls/PictureNote.h"

#include <QAction>

namespace {

constexpr int kResumedNoteMs = 2500;

} // namespace

CPlayerMemoryLink::CPlayerMemoryLink(CKorvoPlayerDlg& dlg)
    : m_dlg(dlg),
      m_memory(dlg.Graph()),
      m_pResumeEntry(FindMenuCommand(dlg.ContextMenu(), ID_PLAY_RESUME))
{
    if (std::optional<int> nVolume = m_memory.RememberedVolume())
        dlg.SetVolume(*nVolume);
    connect(&dlg.Control(), &CPlaybackControl::Changed, this, [this] { m_memory.NoteVolume(m_dlg.Volume()); });
    connect(&dlg.Control(), &CPlaybackControl::Stopping, &m_memory, &CPlaybackMemory::TakePosition);
    if (CommandLineNoResume())
        m_memory.SetResumeForThisRun(false);
    m_pResumeEntry->setCheckable(true);
    m_pResumeEntry->setChecked(m_memory.IsResumeOn());
    connect(&dlg, &CKorvoPlayerDlg::MemoryCommand, this, &CPlayerMemoryLink::_OnCommand);
    CPictureNote* pNote = dlg.ScreenWnd()->Note();
    connect(&m_memory, &CPlaybackMemory::Resumed, pNote,
            [pNote](LONGLONG llPosition) { pNote->Show(CPlaybackMemory::ResumedText(llPosition), kResumedNoteMs); });
    connect(&m_memory, &CPlaybackMemory::StartedOver, pNote, &QWidget::hide);
}

// The menu entry has switched its own check already: it is set from what
// the memory holds afterwards.
void CPlayerMemoryLink::_OnCommand(int nID)
{
    if (nID == ID_PLAY_FROMSTART)
        return m_memory.StartFromBeginning();
    if (nID == ID_PLAY_RESUME) {
        m_memory.SetResumeOn(!m_memory.IsResumeOn());
        m_pResumeEntry->setChecked(m_memory.IsResumeOn());
    }
}
