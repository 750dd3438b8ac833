// Looks every key pressed in one window up in the accelerator table before
// any widget of the window sees it, and hands the command of a key the
// table knows to the window instead of the widget.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

class CAcceleratorFilter : public QObject {
public:
    // Filters the application's events for the keys of `pWindow` and its
    // children (other windows keep their keys: dialogs, menus, the
    // playlist); a child of `pWindow`.
    CAcceleratorFilter(QWidget* pWindow, std::function<void(int)> onCommand);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QWidget* m_pWindow;
    std::function<void(int)> m_onCommand;
};
