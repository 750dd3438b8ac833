// What the player window's skin shows of playback: the file's title, the
// position and duration as text and on the time slider, and the volume on
// its slider. The title, the duration and the position after a seek follow
// the graph controller's signals. A skin without one of these controls
// shows the rest; the controls belong to the skin, which outlives this.
// Lives on the user-interface thread.
#pragma once

#include "common/ComTypes.h"

#include <QObject>
#include <string>

class CBitmapSlider;
class CPlaybackEvents;
class CTransparentStatic;
class CUIManager;

class CPlaybackDisplay : public QObject {
    Q_OBJECT

public:
    // Follows the signals of `events`, which outlive this.
    explicit CPlaybackDisplay(CPlaybackEvents& events);

    // Takes the controls from the skin.
    void FindControls(CUIManager& skin);
    // Shows the title, the time and `nVolume` on the controls of a skin
    // taken in the middle of a file.
    void ShowAgain(int nVolume);
    bool HasTimeSlider() const { return m_pTimeSlider != nullptr; }
    bool HasVolumeSlider() const { return m_pVolumeSlider != nullptr; }

    void ShowTitle(const std::string& fileName);
    // The duration in whole seconds.
    void ShowDuration(int nTotal);
    void ShowPosition(int nSecond);
    void ShowVolume(int nVolume);

private:
    void _ShowTimeText();
    void _OnFileOpened(const QString& fileName);
    void _OnDurationChanged(LONGLONG llDuration);

    CBitmapSlider* m_pTimeSlider = nullptr;
    CBitmapSlider* m_pVolumeSlider = nullptr;
    CTransparentStatic* m_pTimeText = nullptr;
    CTransparentStatic* m_pTitle = nullptr;
    std::string m_title;
    // The duration of the file playing and the position shown, in whole
    // seconds.
    int m_nTotalSeconds = 0;
    int m_nSecond = 0;
};
