#include "WendalPlayerApp.h"

#include "CommandLine.h"
#include "DesktopPlayerLink.h"
#include "desktop/DesktopIntegration.h"
#include "instance/InstanceMessage.h"
#include "instance/InstanceNames.h"
#include "KorvoPlayerDlg.h"
#include "PlayerMemoryLink.h"
#include "instance/SharedPlayerRecord.h"
#include "instance/StartupLock.h"
#include "winsys/StringTable.h"
#include "TerminationSignals.h"
#include "common/FileStream.h"
#include "common/Report.h"
#include "common/Utf8.h"
#include "playback/DirectShow.h"
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
    SharedPlayerRecord* pRecord = WholeSharedRecord();
    if (WindowHandle hWnd = FindRunningInstance(pRecord != nullptr ? ReadRecordWindow(*pRecord) : 0); hWnd != 0)
        return _ForwardToRunningInstance(hWnd);
    _RunPlayerWindow(startupLock);
    return 0;
}

HRESULT CWendalPlayerApp::_CreateSharedMemory()
{
    const char* pszCall = nullptr;
    if (HRESULT hr = OpenSharedRecord(m_sharedMemory, &pszCall); hr != S_OK) {
        ReportError(hr, "%s", LoadResString(kStringCanNotCreateOpenMemory).c_str());
        Trace("from %s", pszCall);
        Trace("from %s", "CWendalPlayerApp::_CreateSharedMemory()");
        return hr;
    }
    return S_OK;
}

// The running player resolves a relative name against its own folder, so
// the name goes over as this start means it. A name that does not fit the
// record is refused rather than cut into the name of another file.
BOOL CWendalPlayerApp::_ForwardToRunningInstance(WindowHandle hWnd)
{
    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1) {
        std::string file = AbsoluteFileArgument(arguments[1]);
        SharedPlayerRecord* pRecord = WholeSharedRecord();
        HRESULT hr = CheckFileNameLength(file.c_str());
        if (hr == S_OK && pRecord == nullptr)
            hr = ReportShortRecord();
        if (hr != S_OK) {
            Trace("from %s", "CWendalPlayerApp::_ForwardToRunningInstance()");
            ShowLastReport();
        } else {
            CopyTextToField(file.c_str(), pRecord->file, sizeof pRecord->file);
            if (arguments.size() > 2)
                CopyTextToField(arguments[2].c_str(), pRecord->secondArgument, sizeof pRecord->secondArgument);
            SendInstanceMessage(hWnd, {WM_PLAYER_OPENFORWARDED, 0, 0}, kForwardTimeoutMs);
        }
    }
    BringWindowToTop(hWnd);
    return 0;
}

void CWendalPlayerApp::_RunPlayerWindow(CStartupLock& startupLock)
{
    InitMediaGraph();
    CKorvoPlayerDlg dlg;
    // The remembered volume is the player's before its first file plays.
    CPlayerMemoryLink memory(dlg);
    startupLock.Release();
    CTerminationSignals termination;
    QObject::connect(&termination, &CTerminationSignals::Raised, &dlg, &CKorvoPlayerDlg::OnExit);
    CDesktopPlayerLink link(dlg);
    CDesktopIntegration desktop(link);
    dlg.show();
    dlg.exec();
}

int CWendalPlayerApp::ExitInstance()
{
    m_sharedMemory.Close();
    g_pSharedRecord = nullptr;
    g_pSharedMemory = nullptr;
    ReleaseStreamKinds();
    return 0;
}
