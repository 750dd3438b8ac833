// The running player's side of the single instance: it writes its window's
// handle into the shared record, now and every second (any process of the
// user may remove or scribble on the record), and answers the messages of
// later starts on that window. A later start's file comes to the open
// handler with its second argument. Lives on the user-interface thread.
#pragma once

#include "InstanceServer.h"
#include "common/ComTypes.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

struct SharedPlayerRecord;

class CInstancePublisher : public QObject {
    Q_OBJECT

public:
    using OpenHandler = std::function<void(const std::string& fileName, const std::string& secondArgument)>;

    explicit CInstancePublisher(OpenHandler onOpen, QObject* pParent = nullptr);

    // Starts answering later starts on window hWnd and publishing it.
    void Start(WindowHandle hWnd);
    // Answers a message of a later instance.
    uint32_t OnInstanceMessage(const InstanceRequest& request);
    // Writes the window's handle into the record where it is not there.
    void Publish();

private:
    uint32_t OnOpenForwarded();
    SharedPlayerRecord* _SharedRecord();
    HRESULT _OpenSharedRecord();

    OpenHandler m_onOpen;
    CInstanceServer m_server;
    QTimer m_publishTimer;
    WindowHandle m_hWnd = 0;
    // The last failure to open the shared record again, reported once.
    HRESULT m_hrRecord = S_OK;
};
