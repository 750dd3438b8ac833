#include "WendalPlayerApp.h"

#include "CommandLine.h"
#include "InstanceMessage.h"
#include "InstanceNames.h"
#include "KorvoPlayerDlg.h"
#include "SharedPlayerRecord.h"
#include "StartupLock.h"
#include "winsys/StringTable.h"
#include "TerminationSignals.h"
#include "common/FileStream.h"
#include "common/Report.h"
#include "common/Utf8.h"
#include "playback/MediaGraph.h"

#include <QMessageBox>
#include <QTimer>
#include <cstring>

namespace {

constexpr int kStringCanNotCreateOpenMemory = 5053;

void ShowLastReport()
{
    QMessageBox::warning(nullptr, QStringLiteral("korvoplayer"), QString::fromStdString(LastReport()));
}

} // namespace

BOOL CWendalPlayerApp::InitInstance()
{
    RegisterStreamKind(new CFileStream());
    if (_CreateSharedMemory() != S_OK) {
        ShowLastReport();
        return 0;
    }
    // Starts that come at the same moment take turns, so that the second
    // finds the first one's window instead of opening its own.
    CStartupLock startupLock;
    WindowHandle hWnd = ReadRecordWindow(*g_pSharedRecord);
    if (SendInstanceMessage(hWnd, {WM_PLAYER_QUERYINSTANCE, 0, 0}, kQueryTimeoutMs) == 1)
        return _ForwardToRunningInstance();
    _RunPlayerWindow(startupLock);
    return 0;
}

HRESULT CWendalPlayerApp::_CreateSharedMemory()
{
    if (HRESULT hr = m_sharedMemory.Create(SharedRecordName(), sizeof(SharedPlayerRecord)); hr != S_OK) {
        ReportError(hr, "%s", LoadResString(kStringCanNotCreateOpenMemory).c_str());
        Trace("from %s", "CreateFileMapping()");
        Trace("from %s", "CWendalPlayerApp::_CreateSharedMemory()");
        return hr;
    }
    void* pView = nullptr;
    if (HRESULT hr = m_sharedMemory.Map(&pView); hr != S_OK) {
        ReportError(hr, "%s", LoadResString(kStringCanNotCreateOpenMemory).c_str());
        Trace("from %s", "MapViewOfFile()");
        Trace("from %s", "CWendalPlayerApp::_CreateSharedMemory()");
        return hr;
    }
    g_pSharedRecord = static_cast<SharedPlayerRecord*>(pView);
    if (!m_sharedMemory.AlreadyExisted())
        std::memset(g_pSharedRecord, 0, sizeof *g_pSharedRecord);
    return S_OK;
}

BOOL CWendalPlayerApp::_ForwardToRunningInstance()
{
    WindowHandle hWnd = ReadRecordWindow(*g_pSharedRecord);
    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1) {
        CopyTextToField(arguments[1].c_str(), g_pSharedRecord->file, sizeof g_pSharedRecord->file);
        if (arguments.size() > 2)
            CopyTextToField(arguments[2].c_str(), g_pSharedRecord->secondArgument,
                            sizeof g_pSharedRecord->secondArgument);
        SendInstanceMessage(hWnd, {WM_PLAYER_OPENFORWARDED, 0, 0}, kForwardTimeoutMs);
    }
    BringWindowToTop(hWnd);
    return 0;
}

void CWendalPlayerApp::_RunPlayerWindow(CStartupLock& startupLock)
{
    InitMediaGraph();
    CKorvoPlayerDlg dlg;
    startupLock.Release();
    CTerminationSignals termination;
    QObject::connect(&termination, &CTerminationSignals::Raised, &dlg, &CKorvoPlayerDlg::OnExit);
    dlg.show();
    dlg.exec();
}

int CWendalPlayerApp::ExitInstance()
{
    m_sharedMemory.Close();
    g_pSharedRecord = nullptr;
    ReleaseStreamKinds();
    return 0;
}
