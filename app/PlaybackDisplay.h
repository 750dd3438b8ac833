// What the player window's skin shows of playback: the file's title, the
// position and duration as text and on the time slider, and the volume on
// its slider. A skin without one of these controls shows the rest; the
// controls belong to the skin, which outlives this.
#pragma once

#include <string>

class CBitmapSlider;
class CTransparentStatic;
class CUIManager;

class CPlaybackDisplay {
public:
    // Takes the controls from the skin.
    void FindControls(CUIManager& skin);
    bool HasTimeSlider() const { return m_pTimeSlider != nullptr; }
    bool HasVolumeSlider() const { return m_pVolumeSlider != nullptr; }

    void ShowTitle(const std::string& fileName);
    // The duration in whole seconds; the position shown goes to 0.
    void ShowDuration(int nTotal);
    void ShowPosition(int nSecond);
    void ShowVolume(int nVolume);

private:
    void _ShowTimeText(int nSecond);

    CBitmapSlider* m_pTimeSlider = nullptr;
    CBitmapSlider* m_pVolumeSlider = nullptr;
    CTransparentStatic* m_pTimeText = nullptr;
    CTransparentStatic* m_pTitle = nullptr;
    // The duration of the file playing, in whole seconds.
    int m_nTotalSeconds = 0;
};
