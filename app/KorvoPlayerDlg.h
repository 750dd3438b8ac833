// The player's main window. It publishes its handle in the shared record so
// that later instances find it, answers their messages, and takes the file of
// its own command line and every file a later instance hands it.
#pragma once

#include "InstanceServer.h"
#include "WindowSystem.h"

#include <QDialog>
#include <string>

class QListWidget;

class CKorvoPlayerDlg : public QDialog {
    Q_OBJECT

public:
    explicit CKorvoPlayerDlg(QWidget* pParent = nullptr);

    // Answers a message of a later instance.
    uint32_t OnInstanceMessage(const InstanceRequest& request);

private:
    void OnInitDialog();
    uint32_t OnOpenForwarded();
    void _AddFile(const std::string& fileName);

    CInstanceServer m_instanceServer;
    QListWidget* m_pFileList;
    std::string m_fileName;
    std::string m_secondArgument;
};
