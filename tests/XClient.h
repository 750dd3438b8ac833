// A connection of the test's own to the X server, to drive and watch other
// programs' windows as a user and the desktop do: keys pressed through the
// server (XTEST, by key code, so that the server's keymap decides what the
// program gets), Num Lock, the window manager's list of windows, their
// titles and rectangles, and activation through the window manager; the
// screen split into monitors (RandR monitors, which the server keeps as
// long as this connection lives, as a desktop's settings daemon does).
#pragma once

#include <QImage>
#include <QRect>
#include <string>
#include <vector>

struct _XDisplay;

class CXClient {
public:
    // Connects to the display named by DISPLAY.
    CXClient();
    ~CXClient();
    CXClient(const CXClient&) = delete;
    CXClient& operator=(const CXClient&) = delete;

    bool IsConnected() const { return m_pDisplay != nullptr; }

    // Presses and releases the key of `nKeysym` (looked up in the server's
    // keymap) with the modifier keys of `modifiers` held, in order.
    void Press(const std::vector<unsigned long>& modifiers, unsigned long nKeysym);
    void SetNumLock(bool bOn);
    bool NumLock();

    // The top-level windows the window manager lists, oldest first.
    std::vector<unsigned long> ClientWindows();
    std::string Title(unsigned long window);
    // The first listed window titled `title`, or 0.
    unsigned long FindWindow(const std::string& title);
    // The first window inside `window` (at any depth) titled `title`, or 0.
    unsigned long FindChild(unsigned long window, const std::string& title);
    // The window's rectangle on the root window, as the server has it.
    QRect Rect(unsigned long window);
    // Asks the window manager to activate the window (as a pager does).
    void Activate(unsigned long window);
    unsigned long ActiveWindow();
    // Whether the window is mapped and all its ancestors are.
    bool IsShown(unsigned long window);
    // What the window shows, as the X server holds it (its own contents,
    // also where a compositor keeps the screen).
    QImage Grab(unsigned long window);
    // What the screen shows in `area` (root coordinates): whatever window is
    // on top there.
    QImage GrabScreen(const QRect& area);
    void MovePointer(const QPoint& pt);
    // Moves the pointer to `pt` on the root window and clicks mouse button
    // `nButton` (1 left, 3 right) there, through XTEST.
    void Click(const QPoint& pt, unsigned nButton);

    // Splits the screen into `monitors` (the first takes the screen's
    // output), named MONITOR0, MONITOR1, ...; false when the server refuses.
    bool SplitScreen(const std::vector<QRect>& monitors);
    // Unplugs monitor `nIndex` of the split.
    void RemoveMonitor(int nIndex);

private:
    unsigned long _Atom(const char* pszName);
    QImage _GrabArea(unsigned long window, const QRect& area);
    void _ManagedWindows(unsigned long window, int nDepth, std::vector<unsigned long>* pWindows);
    std::vector<unsigned long> _WindowProperty(unsigned long window, const char* pszName);

    _XDisplay* m_pDisplay;
};
