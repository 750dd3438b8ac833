#include "CompositorPointer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <cstdlib>

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kSession = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
// The left button, as the kernel's input events name it.
constexpr int kLeftButton = 0x110;
// A drag's steps: at most this many pixels, this many ms apart.
constexpr int kStepPixels = 5;
constexpr int kStepMs = 30;
// Farther than any screen: a move by it ends in the screen's corner.
constexpr double kBeyondScreen = 100000;

} // namespace

CCompositorPointer::CCompositorPointer(const CTestCompositor& compositor) : m_kind(compositor.GetKind())
{
    if (m_kind != CTestCompositor::Kind::Mutter) {
        const bool bWeston = m_kind == CTestCompositor::Kind::Weston;
        m_pHost = XOpenDisplay((bWeston ? compositor.HostDisplay() : compositor.Display()).c_str());
        if (m_pHost == nullptr) {
            m_error = QStringLiteral("no X server to move the pointer on");
            return;
        }
        // To the server's far corner (outside weston's output), so that the
        // first move enters the output.
        const int screen = DefaultScreen(m_pHost);
        _MoveTo({DisplayWidth(m_pHost, screen) - 1, DisplayHeight(m_pHost, screen) - 1});
        return;
    }
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kService,
                                       QStringLiteral("CreateSession")));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = reply.errorMessage();
        return;
    }
    m_session = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (_Call(QStringLiteral("Start")))
        _Call(QStringLiteral("NotifyPointerMotionRelative"), {-kBeyondScreen, -kBeyondScreen});
}

CCompositorPointer::~CCompositorPointer()
{
    if (m_pHost != nullptr)
        XCloseDisplay(m_pHost);
    if (!m_session.isEmpty())
        _Call(QStringLiteral("Stop"));
}

void CCompositorPointer::Drag(const QPoint& from, const QPoint& to)
{
    _MoveTo(from);
    QThread::msleep(kStepMs);
    _Button(true);
    const QPoint way = to - from;
    const int nSteps = std::max(1, (std::max(std::abs(way.x()), std::abs(way.y())) + kStepPixels - 1) / kStepPixels);
    for (int i = 1; i <= nSteps; ++i) {
        QThread::msleep(kStepMs);
        _MoveTo(from + way * i / nSteps);
    }
    QThread::msleep(kStepMs);
    _Button(false);
}

void CCompositorPointer::_MoveTo(const QPoint& pt)
{
    if (m_pHost != nullptr) {
        XTestFakeMotionEvent(m_pHost, -1, pt.x(), pt.y(), CurrentTime);
        XSync(m_pHost, False);
    } else {
        _Call(QStringLiteral("NotifyPointerMotionRelative"),
              {static_cast<double>(pt.x() - m_pt.x()), static_cast<double>(pt.y() - m_pt.y())});
    }
    m_pt = pt;
}

void CCompositorPointer::_Button(bool bDown)
{
    if (m_pHost != nullptr) {
        XTestFakeButtonEvent(m_pHost, 1, bDown ? True : False, CurrentTime);
        XSync(m_pHost, False);
    } else {
        _Call(QStringLiteral("NotifyPointerButton"), {kLeftButton, bDown});
    }
}

bool CCompositorPointer::_Call(const QString& method, const QVariantList& arguments)
{
    if (!m_error.isEmpty())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, m_session, kSession, method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage)
        m_error = method + QStringLiteral(": ") + reply.errorMessage();
    return m_error.isEmpty();
}
