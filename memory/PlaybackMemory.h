// What the player remembers, put to use while it plays: the volume the last
// run left, and where each file was left. A file stopped, closed, replaced
// or left at exit part-way is noted with its position (not within
// kResumeMargin of either end); opened again, it starts there, and
// Resumed() tells so once the seek is asked for. A file played to its end is
// forgotten. A remembered position that no longer fits the file (it was
// replaced by a shorter one) starts the file from the beginning.
//
// Each change is written at once: the state file is loaded, the one value
// changed and the file saved, so that a value another part of the player
// keeps in the same file (the skin) is never written back stale. A folder
// that cannot be written is traced once and never holds up playback.
//
// The graph's stop releases it before the stop is told, so the position is
// followed while a file is open (sampled, taken from every seek, and taken
// when the player is about to stop the file) and the last one seen is what
// is noted. Lives on the user-interface thread;
// the graph outlives it.
#pragma once

#include "common/ComTypes.h"
#include "state/PlayerMemory.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <string>

class CDirectShow;

class CPlaybackMemory : public QObject {
    Q_OBJECT

public:
    explicit CPlaybackMemory(CDirectShow& graph, std::filesystem::path file = CPlayerMemory::DefaultFile());
    // A file still open is noted as left.
    ~CPlaybackMemory() override;

    // The volume (0..100) the last run left; none on a first run.
    std::optional<int> RememberedVolume();
    // Remembers the player's volume when it changed.
    void NoteVolume(int nVolume);

    bool IsResumeOn() const { return m_bResumeOn; }
    // Whether files left part-way start where they were left: for this run
    // only, or remembered for later runs too.
    void SetResumeForThisRun(bool bOn) { m_bResumeOn = bOn; }
    void SetResumeOn(bool bOn);

    // Starts the open file again from its beginning.
    void StartFromBeginning();
    // Takes the open file's position now: called just before the file
    // stops, as the stop releases the graph before it is told.
    void TakePosition();

    // "Resumed at 0:12:34 (Home: from the beginning)".
    static QString ResumedText(LONGLONG llPosition);

signals:
    // The open file was sent to where it had been left.
    void Resumed(LONGLONG llPosition);
    // The open file went back to its beginning.
    void StartedOver();

private:
    void _OnFileOpened(const QString& fileName);
    void _OnDuration(LONGLONG llDuration);
    void _OnState(int nState);
    void _Resume();
    void _LeaveFile();
    template <typename Change>
    void _Remember(Change change);

    CDirectShow& m_graph;
    CPlayerMemory m_memory;
    bool m_bResumeOn = true;
    // The volume last remembered, so that an unchanged one is not written.
    std::optional<int> m_nVolume;
    bool m_bSaveFailed = false;
    // The open file as it is remembered; empty while none is open.
    std::string m_file;
    // Where the open file was left, until it is sent there.
    std::optional<LONGLONG> m_llResumeAt;
    LONGLONG m_llPosition = 0;
    LONGLONG m_llLength = 0;
    bool m_bEnded = false;
    QTimer m_sampler;
};
