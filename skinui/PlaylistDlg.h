// The playlist window: a borderless skinned window beside the player window
// (its parent) that holds the files the player works through. It keeps the
// current entry, moves it back and forth (wrapping with the repeat flag),
// adds files from a file dialog, deletes the selected ones, and snaps to the
// player's edges, recording the side it is docked on. The list lives in
// memory only; each entry holds its file's full path.
//
// Its look comes from the skin window "korvoplaylist" through its own skin
// manager; the list is a list control laid over the middle of the skin.
#pragma once

#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistSnap.h"
#include "controls/WindowFrame.h"

#include <QCollator>
#include <QColor>
#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

constexpr int IDC_PLAYLIST_ADD = 1018;
constexpr int IDC_PLAYLIST_SYS_CLOSE = 1020;
constexpr int IDC_PLAYLIST_DEL = 1021;
constexpr int IDC_PLAYLIST_BTNUP = 1025;
constexpr int IDC_PLAYLIST_BTNDOWN = 1026;

class CPlaylistDlg : public QDialog, public IFrameWindow {
    Q_OBJECT

public:
    // `pParent` is the player window, the window the playlist snaps to.
    explicit CPlaylistDlg(QWidget* pParent);
    ~CPlaylistDlg() override;

    // Builds the window from its skin and sizes it to the skin's size,
    // keeping its position. On failure the last report is shown in a
    // message box and false returned.
    // Built from the skin archive or folder `skin` (the built-in skin when
    // empty).
    bool OnInitDialog(const std::string& skin = {});
    // Builds the window again from `skin`, keeping its entries, the current
    // one and the repeat flag. A skin that cannot be built leaves the skin
    // before (built again) and returns false with its report.
    bool ChangeSkin(const std::string& skin);

    // Inserts an entry for the file at its sorted place; its text is the
    // file's name with the extension. The entry becomes the current one.
    void AddFile(const char* pszPath);
    // Inserts an entry for each file, in the order given, with the text the
    // add command shows (DisplayText); the current index stays.
    void AddFiles(const QStringList& paths);
    // The full path of the current entry, or an empty text (before the first
    // entry, past the last without repeat, an empty list).
    std::string GetCurrentFile();
    void MoveToPrevious();
    void MoveToNext();

    int GetCurrentIndex() const { return m_nCurrent; }
    void SetCurrentIndex(int nIndex) { m_nCurrent = nIndex; }
    bool IsRepeat() const { return m_bRepeat; }
    void SetRepeat(bool bRepeat) { m_bRepeat = bRepeat; }
    // DOCK_NONE, or the side of the player the window is docked on.
    int GetDockSide() const { return m_nDockSide; }

    // Places the window at `rc` (its client area in screen coordinates,
    // as QWidget::setGeometry takes it), snapped to the
    // player's edges; the dock side follows. Every move or size of the
    // window goes through here.
    void PlaceWindow(const QRect& rc);

    // The text the add command gives a file: its name after the last '/',
    // every '_' a space, cut at the last '.' (a name without one gives an
    // empty text).
    static std::string DisplayText(const std::string& path);

    QTreeWidget* List() const { return m_pList; }
    CKorvoUIManager* SkinManager() const { return m_pSkin.get(); }
    const CWindowFrame& Frame() const { return m_frame; }

signals:
    // The user double-clicked an entry, which is now the current one: the
    // player stops and plays its current file.
    void EntryChosen();

protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

    QSize FrameMinimumSize() const override;
    void OnFrameDragEnd() override;
    void PlaceFrameWindow(QWidget* pWindow, const QRect& rc) override;

private:
    bool _BuildSkin(const std::string& skin);
    void _OnCommand(int nID);
    void _OnAdd();
    void _OnDelete();
    void _OnSelect();
    void _Relayout();
    void _TakeListColors();
    void _PlaceList();
    // Inserts after every entry whose text does not sort after `text`.
    int _InsertEntry(const QString& text, const std::string& path);
    void _SetSelected(int nIndex, bool bSelected);

    QTreeWidget* m_pList;
    std::unique_ptr<CKorvoUIManager> m_pSkin;
    CWindowFrame m_frame;
    QCollator m_collator;
    // The margin painted around the list.
    QColor m_listMargin = Qt::white;
    int m_nCurrent = 0;
    int m_nDockSide = DOCK_NONE;
    bool m_bRepeat = false;
};
