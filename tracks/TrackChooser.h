// The user's choice among the open file's subtitle tracks and sound streams,
// and the subtitle delay: the context menu's "Subtitles" and "Audio"
// submenus, filled each time they open from the tracks the file has then,
// the commands of their keys, and subtitle files opened or dropped for the
// playing file. A change shows at once, on a paused picture too, and is
// told through the controller's TracksChanged. The delay's new value and a
// subtitle file loaded are traced and told through Noted, for the window to
// show for a moment on the picture.
// Used on the user-interface thread only.
#pragma once

#include "common/ComTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

class CDirectShow;
class QAction;
class QMenu;
class QWidget;

class CTrackChooser : public QObject {
    Q_OBJECT

public:
    // One press of a delay key moves the subtitles by this much.
    static constexpr LONGLONG kDelayStep = 1000000;
    // How long a note of the chooser is meant to show.
    static constexpr int kNoteMilliseconds = 2000;

    CTrackChooser(CDirectShow& playback, QWidget* pWindow);

    // Adds the "Subtitles" and "Audio" submenus to `pMenu` before `pBefore`.
    void AddMenus(QMenu* pMenu, QAction* pBefore);
    QMenu* SubtitleMenu() const { return m_pSubtitleMenu; }
    QMenu* AudioMenu() const { return m_pAudioMenu; }

    // Carries out a command of the chooser's keys; false for another command.
    bool OnCommand(int nID);
    // Loads the first subtitle file among `files` for the playing file;
    // false when nothing plays or none of them is a subtitle file.
    bool TakeSubtitleFiles(const QStringList& files);

    // -1 hides the subtitles.
    void ChooseSubtitleTrack(int iTrack);
    void ChooseAudioTrack(int iTrack);
    void ToggleSubtitles();
    void NextSubtitleTrack();
    void NextAudioTrack();
    void ShiftSubtitles(int nSteps);
    bool LoadSubtitleFile(const QString& path);

signals:
    // A change worth showing on the picture for a moment.
    void Noted(const QString& text);

private:
    void _FillSubtitleMenu();
    void _FillAudioMenu();
    void _OpenSubtitleFile();

    CDirectShow& m_playback;
    QWidget* m_pWindow;
    QMenu* m_pSubtitleMenu = nullptr;
    QMenu* m_pAudioMenu = nullptr;
};
