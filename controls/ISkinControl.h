// What the skin manager asks of every skinned control: draw its current
// look into a picture, and switch its images with the window's state.
#pragma once

#include "winsys/Rect.h"

class QPainter;

// The size type of a maximized window.
constexpr unsigned SIZE_MAXIMIZED = 2;

class ISkinControl {
public:
    // Draws the control's current look into pDC within prc.
    virtual void Draw(QPainter* pDC, const RECT* prc) = 0;
    // The skinned window was activated (non-zero) or deactivated (0).
    virtual void OnActivate(unsigned nState) = 0;
    // The window's size type changed (SIZE_MAXIMIZED when maximized).
    virtual void OnSizeState(unsigned nType) = 0;
    virtual void OnPlaying() = 0;
    virtual void OnPause() = 0;
    virtual void OnStop() = 0;
    virtual void OnMute() = 0;

protected:
    ISkinControl() = default;
    virtual ~ISkinControl() = default;
    ISkinControl(const ISkinControl&) = default;
    ISkinControl& operator=(const ISkinControl&) = default;
};
