#include "InstanceServer.h"

#include "InstanceNames.h"
#include "common/ComTypes.h"
#include "common/ErrorText.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <cerrno>

namespace {

// A client that connects and then says nothing is dropped after this long.
constexpr int kIdleClientMs = 5000;

} // namespace

CInstanceServer::CInstanceServer(Handler handler, QObject* pParent)
    : QObject(pParent), m_handler(std::move(handler)), m_pServer(new QLocalServer(this))
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceServer::OnNewConnection);
}

CInstanceServer::~CInstanceServer()
{
    m_pServer->close();
}

HRESULT CInstanceServer::Listen(WindowHandle hWnd)
{
    std::string path = InstanceSocketPath(hWnd);
    if (path.empty())
        return GetLastError();
    QString name = QString::fromLocal8Bit(path);
    if (m_pServer->listen(name))
        return S_OK;
    QLocalServer::removeServer(name);
    if (m_pServer->listen(name))
        return S_OK;
    return Win32ErrorFromErrno(EADDRINUSE);
}

void CInstanceServer::OnNewConnection()
{
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        if (!IsPeerThisUser(static_cast<int>(pSocket->socketDescriptor()))) {
            pSocket->abort();
            pSocket->deleteLater();
            continue;
        }
        auto* pIdle = new QTimer(pSocket);
        pIdle->setSingleShot(true);
        connect(pIdle, &QTimer::timeout, pSocket, &QLocalSocket::abort);
        pIdle->start(kIdleClientMs);
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        OnReadyRead(pSocket);
    }
}

void CInstanceServer::OnReadyRead(QLocalSocket* pSocket)
{
    if (pSocket->bytesAvailable() < static_cast<qint64>(sizeof(InstanceRequest)))
        return;
    InstanceRequest request{};
    pSocket->read(reinterpret_cast<char*>(&request), sizeof request);
    // One request per connection: stop reading and the idle timer before the
    // handler runs, since it may open nested event loops; the peer may go
    // away meanwhile.
    disconnect(pSocket, &QLocalSocket::readyRead, this, nullptr);
    if (auto* pIdle = pSocket->findChild<QTimer*>())
        pIdle->stop();
    QPointer<QLocalSocket> socket(pSocket);
    uint32_t answer = m_handler(request);
    if (!socket || socket->state() != QLocalSocket::ConnectedState)
        return;
    pSocket->write(reinterpret_cast<const char*>(&answer), sizeof answer);
    pSocket->disconnectFromServer();
}
