#include "PictureWindow.h"

#include "common/Report.h"

#include <QSocketNotifier>
#include <X11/Xlib.h>
#include <algorithm>
#include <mutex>
#include <set>

namespace {

// The owner can be destroyed before its picture window (the server then
// destroys both): errors on the picture windows' own connections are
// expected there and ignored; every other error goes to the handler that
// was installed before.
std::mutex g_displaysLock;
std::set<Display*> g_ownDisplays;
XErrorHandler g_previousHandler = nullptr;

int OnXError(Display* pDisplay, XErrorEvent* pError)
{
    {
        std::lock_guard lock(g_displaysLock);
        if (g_ownDisplays.count(pDisplay) != 0)
            return 0;
    }
    return g_previousHandler != nullptr ? g_previousHandler(pDisplay, pError) : 0;
}

void RegisterDisplay(Display* pDisplay)
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = XSetErrorHandler(OnXError); });
    std::lock_guard lock(g_displaysLock);
    g_ownDisplays.insert(pDisplay);
}

void UnregisterDisplay(Display* pDisplay)
{
    std::lock_guard lock(g_displaysLock);
    g_ownDisplays.erase(pDisplay);
}

} // namespace

CPictureWindow::CPictureWindow(uintptr_t ownerHandle)
    : m_pDisplay(XOpenDisplay(nullptr)),
      m_owner(ownerHandle)
{
    if (m_pDisplay == nullptr) {
        Trace("CPictureWindow : the X server can not be reached");
        return;
    }
    RegisterDisplay(m_pDisplay);
    // The owner's size, followed by the backdrop always and by the picture
    // until the player places it; asked for before the size is read, so
    // that no change falls between the two.
    XSelectInput(m_pDisplay, ownerHandle, StructureNotifyMask);
    XWindowAttributes owner = {};
    XGetWindowAttributes(m_pDisplay, ownerHandle, &owner);
    m_size = QSize(std::max(owner.width, 1), std::max(owner.height, 1));
    const unsigned long black = BlackPixel(m_pDisplay, DefaultScreen(m_pDisplay));
    m_backdrop = XCreateSimpleWindow(m_pDisplay, ownerHandle, 0, 0, m_size.width(), m_size.height(), 0, black, black);
    m_window = XCreateSimpleWindow(m_pDisplay, m_backdrop, 0, 0, m_size.width(), m_size.height(), 0, black, black);
    XSelectInput(m_pDisplay, m_window, ExposureMask);
    XMapWindow(m_pDisplay, m_window);
    XFlush(m_pDisplay);
    m_pNotifier = new QSocketNotifier(ConnectionNumber(m_pDisplay), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CPictureWindow::_OnEvents);
    _OnEvents();
}

CPictureWindow::~CPictureWindow()
{
    if (m_pDisplay == nullptr)
        return;
    delete m_pNotifier;
    XDestroyWindow(m_pDisplay, m_backdrop);
    XSync(m_pDisplay, False);
    UnregisterDisplay(m_pDisplay);
    XCloseDisplay(m_pDisplay);
}

void CPictureWindow::Show()
{
    if (m_pDisplay == nullptr)
        return;
    XMapRaised(m_pDisplay, m_backdrop);
    _OnEvents();
}

void CPictureWindow::Place(int nLeft, int nTop, int nWidth, int nHeight)
{
    if (m_pDisplay == nullptr || nWidth <= 0 || nHeight <= 0)
        return;
    m_bPlaced = true;
    XMoveResizeWindow(m_pDisplay, m_window, nLeft, nTop, nWidth, nHeight);
    if (m_size != QSize(nWidth, nHeight)) {
        m_size = QSize(nWidth, nHeight);
        emit Resized(m_size);
    }
    _OnEvents();
}

// One notice for all the exposures waiting; the sink draws its whole
// picture again anyway. Called by the socket's notifier and after each of
// this window's own requests: sending them flushes the connection, which
// also reads what the server sent into Xlib's queue, and the socket would
// not tell of those events again.
void CPictureWindow::_OnEvents()
{
    bool bExposed = false;
    while (XPending(m_pDisplay) > 0) {
        XEvent event;
        XNextEvent(m_pDisplay, &event);
        if (event.type == Expose && event.xexpose.window == m_window)
            bExposed = true;
        if (event.type == ConfigureNotify && event.xconfigure.window == m_owner) {
            const QSize size(std::max(event.xconfigure.width, 1), std::max(event.xconfigure.height, 1));
            XResizeWindow(m_pDisplay, m_backdrop, size.width(), size.height());
            if (!m_bPlaced && size != m_size) {
                m_size = size;
                XResizeWindow(m_pDisplay, m_window, size.width(), size.height());
                emit Resized(m_size);
            }
            XFlush(m_pDisplay);
        }
    }
    if (bExposed)
        emit Exposed();
}
