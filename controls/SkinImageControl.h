// The state images of a static or a button: which of its record's images it
// shows, switched by the window's state. The switches take effect only once
// the control has been drawn and only when the record holds the image.
#pragma once

#include "ISkinControl.h"
#include "skin/SkinItem.h"

class CSkinImageControl : public ISkinControl {
public:
    void OnActivate(unsigned nState) override;
    void OnSizeState(unsigned nType) override;
    void OnPlaying() override;
    void OnPause() override;
    void OnStop() override;
    void OnMute() override;

    // The image shown now, null before the first drawing.
    const QPixmap* CurrentImage() const { return m_pCurrentImage; }

protected:
    // The record of the control's window.
    virtual CSkinItem* _SkinItem() const = 0;
    // Schedules a repaint of the whole control.
    virtual void _Invalidate() = 0;

    // Shows the record's image `slot` when an image is shown and the record
    // holds that one; returns whether it changed.
    bool _SwitchImage(SkinImage slot);
    // Before the first drawing: shows the onsetfocus image.
    void _EnsureCurrentImage();

    const QPixmap* m_pCurrentImage = nullptr;
};
