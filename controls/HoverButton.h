// The skinned push button: draws itself from a strip of four frames
// (normal, hover, pressed, disabled), highlights while the mouse rests on it,
// shows a tooltip and swaps its image strip with the player's state. A click
// reaches the parent as a WM_COMMAND with the button's control id.
#pragma once

#include "SkinImageControl.h"

#include <QAbstractButton>
#include <QPixmap>
#include <string>

class CHoverButton : public QAbstractButton, public CSkinImageControl {
    Q_OBJECT

public:
    explicit CHoverButton(QWidget* pParent);

    // Toggles the repeat image (onrepeat) with the base image.
    virtual void OnRepeat();
    // Sets the tooltip text (null: nothing) and switches the tooltip on or off.
    void SetTooltipText(const std::string* pText, bool bActivate);

    // The frame a paint shows for the given states: 0 normal, 1 hover,
    // 2 pressed, 3 disabled.
    static int FrameIndex(bool bSelected, bool bDisabled, bool bHover);

    void Draw(QPainter* pDC, const RECT* prc) override;

    bool IsHovering() const { return m_bHover; }
    bool IsRepeatShown() const { return m_bRepeat; }
    int FrameWidth() const { return m_nFrameWidth; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    CSkinItem* _SkinItem() const override;
    void _Invalidate() override;

private:
    void _EnsureFrame();
    void _SendClicked();

    bool m_bHover = false;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    QPixmap m_backBuffer;
    bool m_bRepeat = false;
};
