// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface
// thread, so that a player asked to end closes its window and releases the
// shared record like any other exit.
#pragma once

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit CTerminationSignals(QObject* pParent = nullptr);
    ~CTerminationSignals() override;

signals:
    void Raised();

private:
    void OnActivated();

    QSocketNotifier* m_pNotifier = nullptr;
};
