#include "KorvoPlayerDlg.h"

#include "CommandLine.h"
#include "SharedPlayerRecord.h"
#include "common/Report.h"
#include "common/Utf8.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// The argument cut to what fits a field of cbField bytes with its terminator.
std::string FieldText(const std::string& argument, size_t cbField)
{
    return argument.substr(0, Utf8PrefixLength(argument.data(), argument.size(), cbField - 1));
}

} // namespace

CKorvoPlayerDlg::CKorvoPlayerDlg(QWidget* pParent)
    : QDialog(pParent),
      m_instanceServer([this](const InstanceRequest& request) { return OnInstanceMessage(request); }),
      m_pFileList(new QListWidget(this))
{
    OnInitDialog();
}

void CKorvoPlayerDlg::OnInitDialog()
{
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel(tr("Files handed to this player:"), this));
    pLayout->addWidget(m_pFileList);
    resize(480, 320);

    auto hWnd = static_cast<WindowHandle>(winId());
    if (HRESULT hr = m_instanceServer.Listen(hWnd); hr != S_OK) {
        ReportError(hr, "Can not answer other instances on window %x", hWnd);
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
    }
    if (g_pSharedRecord != nullptr)
        WriteRecordWindow(*g_pSharedRecord, hWnd);

    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1) {
        m_fileName = FieldText(arguments[1], kRecordFileSize);
        if (arguments.size() > 2)
            m_secondArgument = FieldText(arguments[2], kRecordArgumentSize);
        _AddFile(m_fileName);
    }
    setWindowTitle(QStringLiteral("Ostra Viewer"));
}

uint32_t CKorvoPlayerDlg::OnInstanceMessage(const InstanceRequest& request)
{
    switch (request.message) {
    case WM_PLAYER_QUERYINSTANCE:
        return 1;
    case WM_PLAYER_OPENFORWARDED:
        return OnOpenForwarded();
    default:
        return 0;
    }
}

uint32_t CKorvoPlayerDlg::OnOpenForwarded()
{
    if (g_pSharedRecord == nullptr)
        return 0;
    m_fileName = ReadRecordText(g_pSharedRecord->file, sizeof g_pSharedRecord->file);
    m_secondArgument = ReadRecordText(g_pSharedRecord->secondArgument, sizeof g_pSharedRecord->secondArgument);
    _AddFile(m_fileName);
    return 1;
}

void CKorvoPlayerDlg::_AddFile(const std::string& fileName)
{
    if (fileName.empty())
        return;
    m_pFileList->addItem(QString::fromLocal8Bit(fileName));
    m_pFileList->setCurrentRow(m_pFileList->count() - 1);
}
