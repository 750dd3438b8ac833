// The skinned panel and label: shows an image, a text, a solid colour or
// nothing of its own, drawn over the picture of the static that holds it.
// Statics hold the skin's other controls and pass their commands and
// notifications on to their own parent, up to the skinned window.
#pragma once

#include "SkinImageControl.h"

#include <QPixmap>
#include <QWidget>
#include <string>

// Style bits of a static, as the skin's textalign keywords and types set them.
constexpr unsigned SS_CENTER = 0x1;
constexpr unsigned SS_RIGHT = 0x2;
constexpr unsigned SS_BITMAP = 0xE;
constexpr unsigned SS_NOPREFIX = 0x80;
constexpr unsigned SS_CENTERIMAGE = 0x200;
constexpr unsigned SS_ENDELLIPSIS = 0x4000;
constexpr unsigned SS_PATHELLIPSIS = 0x8000;
constexpr unsigned WS_EX_TRANSPARENT = 0x20;

class CTransparentStatic : public QWidget, public CSkinImageControl {
    Q_OBJECT

public:
    explicit CTransparentStatic(QWidget* pParent);

    // Stores the text a "text" static draws and repaints.
    virtual void SetText(const char* pszText);
    const std::string& GetText() const { return m_sText; }

    void ModifyStyle(unsigned dwAdd) { m_dwStyle |= dwAdd; }
    void ModifyStyleEx(unsigned dwAdd) { m_dwExStyle |= dwAdd; }
    unsigned GetStyle() const { return m_dwStyle; }
    unsigned GetExStyle() const { return m_dwExStyle; }

    // The picture of this static's last paint, the background of its children.
    const QPixmap& Picture() const { return m_offscreen; }
    // Copies the picture of `pChild`'s parent static under `pChild` into
    // pDC at (0, 0); nothing when the parent is not a static.
    static void DrawParentPicture(QPainter* pDC, const QWidget* pChild);

    void Draw(QPainter* pDC, const RECT* prc) override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    bool event(QEvent* pEvent) override;
    CSkinItem* _SkinItem() const override;
    void _Invalidate() override;

private:
    void _DrawBitmap(QPainter* pDC, const RECT& rc, const CSkinItem& item);
    void _DrawText(QPainter* pDC, const RECT& rc, const CSkinItem& item) const;

    std::string m_sText;
    QPixmap m_offscreen;
    unsigned m_dwStyle = 0;
    unsigned m_dwExStyle = 0;
};
