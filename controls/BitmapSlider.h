// The skinned slider: a channel drawn from an empty and a filled image with
// a knob on top. The knob follows drags and clicks anywhere in the channel
// and keyboard steps; position changes are reported to the window with
// WM_SLIDER_MOVING (while dragging) and WM_SLIDER_MOVED (on release and
// after a key).
#pragma once

#include "ISkinControl.h"
#include "skin/SkinValues.h"

#include <QPixmap>
#include <QWidget>

class CBitmapSlider : public QWidget, public ISkinControl {
    Q_OBJECT

public:
    explicit CBitmapSlider(QWidget* pParent);

    void SetRangeMax(int nMax, bool bRedraw);
    void SetRangeMin(int nMin, bool bRedraw);
    void SetRangeMinMax(int nMin, int nMax, bool bRedraw);
    int GetRangeMax() const { return m_nMax; }
    int GetRangeMin() const { return m_nMin; }
    // Sets the position, limited to the range (the minimum wins when the
    // range is inverted), and repaints.
    void SetPos(int nPos);
    int GetPos() const { return m_nPos; }
    void SetPageSize(int nPage) { m_nPage = nPage; }
    void EnableSlider(bool bEnable);
    bool IsSliderEnabled() const { return m_bEnable; }
    void SetFocusRectangle(bool bEnable, bool bRedraw);
    void SetVertical(bool bVertical) { m_bVertical = bVertical; }
    bool IsVertical() const { return m_bVertical; }
    bool IsDragging() const { return m_bLButtonDown; }

    // Private copies of the images, colour-keyed once here when
    // bTransparent; a null pEmpty (pKnob) takes them away.
    bool SetChannelBitmaps(const QPixmap* pEmpty, const QPixmap* pFill, bool bTransparent, COLORREF clrTransparent);
    bool SetKnobBitmaps(const QPixmap* pKnob, const QPixmap* pKnobActive, bool bTransparent,
                        COLORREF clrTransparent);

    // The knob centre for a position, along the axis, within a channel of
    // `nLength` pixels; and back.
    int Pos2Pixel(int nPos, int nLength) const;
    int Pixel2Pos(int nPixel) const;

    void Draw(QPainter* pDC, const RECT* prc) override;
    void OnActivate(unsigned) override {}
    void OnSizeState(unsigned) override {}
    void OnPlaying() override {}
    void OnPause() override {}
    void OnStop() override {}
    void OnMute() override {}

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;

private:
    int _Length() const { return m_bVertical ? height() : width(); }
    int _Knob() const { return m_bVertical ? m_nThumbHeight : m_nThumbWidth; }
    int _MarginLow() const { return m_bVertical ? m_nMarginTop : m_nMarginLeft; }
    int _MarginHigh() const { return m_bVertical ? m_nMarginBottom : m_nMarginRight; }
    int _Along(const QPoint& pt) const { return m_bVertical ? pt.y() : pt.x(); }
    void _MoveTo(int nCoordinate);
    void _DrawChannel(QPainter* pDC, const RECT& rc, int p) const;
    void _Notify(unsigned nMessage);

    int m_nMax = 100;
    int m_nMin = 0;
    int m_nPos = 0;
    int m_nPage = 20;
    int m_nThumbWidth = 0;
    int m_nThumbHeight = 0;
    int m_nMarginLeft = 0;
    int m_nMarginRight = 0;
    int m_nMarginTop = 0;
    int m_nMarginBottom = 0;
    int m_nMouseOffset = 0;
    bool m_bVertical = false;
    bool m_bChannelActive = false;
    bool m_bThumbActive = false;
    bool m_bThumb = false;
    bool m_bChannel = false;
    bool m_bLButtonDown = false;
    bool m_bFocus = false;
    bool m_bFocusRect = true;
    bool m_bEnable = true;
    QPixmap m_bmChannel;
    QPixmap m_bmChannelActive;
    QPixmap m_bmThumb;
    QPixmap m_bmThumbActive;
    QPixmap m_backBuffer;
};
