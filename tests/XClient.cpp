#include "XClient.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <algorithm>
#include <string>

CXClient::CXClient() : m_pDisplay(XOpenDisplay(nullptr)) {}

CXClient::~CXClient()
{
    if (m_pDisplay != nullptr)
        XCloseDisplay(m_pDisplay);
}

void CXClient::Press(const std::vector<unsigned long>& modifiers, unsigned long nKeysym)
{
    auto code = [this](unsigned long nSym) { return XKeysymToKeycode(m_pDisplay, nSym); };
    for (unsigned long nModifier : modifiers)
        XTestFakeKeyEvent(m_pDisplay, code(nModifier), True, CurrentTime);
    XTestFakeKeyEvent(m_pDisplay, code(nKeysym), True, CurrentTime);
    XTestFakeKeyEvent(m_pDisplay, code(nKeysym), False, CurrentTime);
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier)
        XTestFakeKeyEvent(m_pDisplay, code(*modifier), False, CurrentTime);
    XSync(m_pDisplay, False);
}

bool CXClient::NumLock()
{
    Bool bOn = False;
    return XkbGetNamedIndicator(m_pDisplay, _Atom("Num Lock"), nullptr, &bOn, nullptr, nullptr) && bOn;
}

void CXClient::SetNumLock(bool bOn)
{
    if (NumLock() != bOn)
        Press({}, XK_Num_Lock);
}

std::vector<unsigned long> CXClient::ClientWindows()
{
    std::vector<unsigned long> windows = _WindowProperty(DefaultRootWindow(m_pDisplay), "_NET_CLIENT_LIST");
    if (windows.empty())
        _ManagedWindows(DefaultRootWindow(m_pDisplay), 3, &windows);
    return windows;
}

// Where the window manager keeps no client list (weston's): the windows it
// manages, found by the state property it gives each, down `nDepth` levels
// of its frames.
void CXClient::_ManagedWindows(unsigned long window, int nDepth, std::vector<unsigned long>* pWindows)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* pChildren = nullptr;
    unsigned int nChildren = 0;
    if (nDepth == 0 || XQueryTree(m_pDisplay, window, &root, &parent, &pChildren, &nChildren) == 0)
        return;
    const Atom state = _Atom("WM_STATE");
    for (unsigned int i = 0; i < nChildren; ++i) {
        int nCount = 0;
        Atom* pAtoms = XListProperties(m_pDisplay, pChildren[i], &nCount);
        const bool bManaged = pAtoms != nullptr && std::find(pAtoms, pAtoms + nCount, state) != pAtoms + nCount;
        if (pAtoms != nullptr)
            XFree(pAtoms);
        if (bManaged)
            pWindows->push_back(pChildren[i]);
        else
            _ManagedWindows(pChildren[i], nDepth - 1, pWindows);
    }
    if (pChildren != nullptr)
        XFree(pChildren);
}

std::string CXClient::Title(unsigned long window)
{
    XTextProperty property{};
    std::string title;
    if (XGetWMName(m_pDisplay, window, &property) && property.value != nullptr) {
        title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return title;
}

unsigned long CXClient::FindWindow(const std::string& title)
{
    for (unsigned long window : ClientWindows()) {
        if (Title(window) == title)
            return window;
    }
    return 0;
}

unsigned long CXClient::FindChild(unsigned long window, const std::string& title)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* pChildren = nullptr;
    unsigned int nChildren = 0;
    if (XQueryTree(m_pDisplay, window, &root, &parent, &pChildren, &nChildren) == 0)
        return 0;
    unsigned long found = 0;
    for (unsigned int i = 0; i < nChildren && found == 0; ++i)
        found = Title(pChildren[i]) == title ? pChildren[i] : FindChild(pChildren[i], title);
    if (pChildren != nullptr)
        XFree(pChildren);
    return found;
}

QRect CXClient::Rect(unsigned long window)
{
    XWindowAttributes attributes{};
    Window child = 0;
    int x = 0;
    int y = 0;
    if (!XGetWindowAttributes(m_pDisplay, window, &attributes) ||
        !XTranslateCoordinates(m_pDisplay, window, DefaultRootWindow(m_pDisplay), 0, 0, &x, &y, &child))
        return {};
    return {x, y, attributes.width, attributes.height};
}

void CXClient::Activate(unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = _Atom("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_pDisplay, DefaultRootWindow(m_pDisplay), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XSync(m_pDisplay, False);
}

unsigned long CXClient::ActiveWindow()
{
    const std::vector<unsigned long> active = _WindowProperty(DefaultRootWindow(m_pDisplay), "_NET_ACTIVE_WINDOW");
    return active.empty() ? 0 : active.front();
}

bool CXClient::IsShown(unsigned long window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(m_pDisplay, window, &attributes) && attributes.map_state == IsViewable;
}

void CXClient::MovePointer(const QPoint& pt)
{
    XWarpPointer(m_pDisplay, None, DefaultRootWindow(m_pDisplay), 0, 0, 0, 0, pt.x(), pt.y());
    XSync(m_pDisplay, False);
}

void CXClient::Click(const QPoint& pt, unsigned nButton)
{
    XTestFakeMotionEvent(m_pDisplay, -1, pt.x(), pt.y(), CurrentTime);
    XTestFakeButtonEvent(m_pDisplay, nButton, True, CurrentTime);
    XTestFakeButtonEvent(m_pDisplay, nButton, False, CurrentTime);
    XSync(m_pDisplay, False);
}

bool CXClient::SplitScreen(const std::vector<QRect>& monitors)
{
    const Window root = DefaultRootWindow(m_pDisplay);
    XRRScreenResources* pResources = XRRGetScreenResources(m_pDisplay, root);
    if (pResources == nullptr || pResources->noutput < 1) {
        XRRFreeScreenResources(pResources);
        return false;
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        XRRMonitorInfo* pMonitor = XRRAllocateMonitor(m_pDisplay, i == 0 ? 1 : 0);
        pMonitor->name = _Atom(("MONITOR" + std::to_string(i)).c_str());
        pMonitor->x = monitors[i].x();
        pMonitor->y = monitors[i].y();
        pMonitor->width = monitors[i].width();
        pMonitor->height = monitors[i].height();
        // 96 dots per inch.
        pMonitor->mwidth = monitors[i].width() * 254 / 960;
        pMonitor->mheight = monitors[i].height() * 254 / 960;
        if (i == 0)
            pMonitor->outputs[0] = pResources->outputs[0];
        XRRSetMonitor(m_pDisplay, root, pMonitor);
        XRRFreeMonitors(pMonitor);
    }
    XRRFreeScreenResources(pResources);
    XSync(m_pDisplay, False);
    int nMonitors = 0;
    XRRMonitorInfo* pList = XRRGetMonitors(m_pDisplay, root, False, &nMonitors);
    XRRFreeMonitors(pList);
    return nMonitors == static_cast<int>(monitors.size());
}

void CXClient::RemoveMonitor(int nIndex)
{
    XRRDeleteMonitor(m_pDisplay, DefaultRootWindow(m_pDisplay), _Atom(("MONITOR" + std::to_string(nIndex)).c_str()));
    XSync(m_pDisplay, False);
}

unsigned long CXClient::_Atom(const char* pszName)
{
    return XInternAtom(m_pDisplay, pszName, False);
}

std::vector<unsigned long> CXClient::_WindowProperty(unsigned long window, const char* pszName)
{
    Atom type = 0;
    int nFormat = 0;
    unsigned long nItems = 0;
    unsigned long nAfter = 0;
    unsigned char* pData = nullptr;
    std::vector<unsigned long> windows;
    if (XGetWindowProperty(m_pDisplay, window, _Atom(pszName), 0, 4096, False, XA_WINDOW, &type, &nFormat, &nItems,
                           &nAfter, &pData) == Success &&
        pData != nullptr) {
        const auto* pWindows = reinterpret_cast<const unsigned long*>(pData);
        windows.assign(pWindows, pWindows + nItems);
        XFree(pData);
    }
    return windows;
}

QImage CXClient::Grab(unsigned long window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_pDisplay, window, &attributes) == 0)
        return {};
    return _GrabArea(window, QRect(0, 0, attributes.width, attributes.height));
}

QImage CXClient::GrabScreen(const QRect& area)
{
    const ::Window root = DefaultRootWindow(m_pDisplay);
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_pDisplay, root, &attributes);
    return _GrabArea(root, area.intersected(QRect(0, 0, attributes.width, attributes.height)));
}

QImage CXClient::_GrabArea(unsigned long window, const QRect& area)
{
    XImage* pImage = XGetImage(m_pDisplay, window, area.x(), area.y(), static_cast<unsigned>(area.width()),
                               static_cast<unsigned>(area.height()), AllPlanes, ZPixmap);
    if (pImage == nullptr)
        return {};
    QImage image(area.width(), area.height(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            image.setPixel(x, y, static_cast<QRgb>(XGetPixel(pImage, x, y)) | 0xff000000u);
    XDestroyImage(pImage);
    return image;
}
