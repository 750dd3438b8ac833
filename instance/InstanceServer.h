// The running player window's end of the instance messages: a local socket
// named after the window's handle, answered on the user-interface thread.
#pragma once

#include "InstanceMessage.h"
#include "common/ComTypes.h"

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

class CInstanceServer : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<uint32_t(const InstanceRequest&)>;

    CInstanceServer(Handler handler, QObject* pParent = nullptr);
    ~CInstanceServer() override;

    // Starts answering messages addressed to the window `hWnd`; a socket left
    // behind by a window that no longer runs is replaced. Returns 0 or a Win32
    // error number.
    HRESULT Listen(WindowHandle hWnd);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* pSocket);

    Handler m_handler;
    QLocalServer* m_pServer;
};
