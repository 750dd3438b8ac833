#include "InstancePublisher.h"

#include "SharedMemory.h"
#include "SharedPlayerRecord.h"
#include "common/Report.h"
#include "winsys/StringTable.h"

#include <utility>

namespace {

constexpr int IDS_CANNOT_CREATE_OPEN_MEMORY = 5053;
// How often the window makes sure that later starts still find it.
constexpr int kPublishPeriodMs = 1000;

} // namespace

CInstancePublisher::CInstancePublisher(OpenHandler onOpen, QObject* pParent)
    : QObject(pParent),
      m_onOpen(std::move(onOpen)),
      m_server([this](const InstanceRequest& request) { return OnInstanceMessage(request); })
{
    connect(&m_publishTimer, &QTimer::timeout, this, &CInstancePublisher::Publish);
}

void CInstancePublisher::Start(WindowHandle hWnd)
{
    m_hWnd = hWnd;
    if (HRESULT hr = m_server.Listen(hWnd); hr != S_OK) {
        ReportError(hr, "Can not answer other instances on window %x", hWnd);
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
    }
    Publish();
    m_publishTimer.start(kPublishPeriodMs);
}

uint32_t CInstancePublisher::OnInstanceMessage(const InstanceRequest& request)
{
    switch (request.message) {
    case WM_PLAYER_QUERYINSTANCE:
        Publish();
        return 1;
    case WM_PLAYER_OPENFORWARDED:
        return OnOpenForwarded();
    default:
        return 0;
    }
}

// The file starts once the answer is on its way, so that a slow or failing
// start never keeps the later instance waiting.
uint32_t CInstancePublisher::OnOpenForwarded()
{
    SharedPlayerRecord* pRecord = _SharedRecord();
    if (pRecord == nullptr) {
        Trace("from %s", "CKorvoPlayerDlg::OnOpenForwarded()");
        return 0;
    }
    m_onOpen(ReadRecordText(pRecord->file, sizeof pRecord->file),
             ReadRecordText(pRecord->secondArgument, sizeof pRecord->secondArgument));
    Publish();
    return 1;
}

// Any process of the user can remove the record, cut it short or scribble
// on it. A removed or replaced record is opened again by its name, so that
// this window reads what later starts write; a record cut short is garbage:
// it is reported and grown again, and null is returned.
SharedPlayerRecord* CInstancePublisher::_SharedRecord()
{
    if (g_pSharedMemory == nullptr)
        return nullptr;
    if (g_pSharedRecord != nullptr && g_pSharedMemory->IsStillNamed()) {
        if (SharedPlayerRecord* pRecord = WholeSharedRecord())
            return pRecord;
        ReportShortRecord();
        Trace("from %s", "CKorvoPlayerDlg::_SharedRecord()");
        _OpenSharedRecord();
        return nullptr;
    }
    return _OpenSharedRecord() == S_OK ? g_pSharedRecord : nullptr;
}

// Reports only a failure that differs from the last one: the record is
// checked every second while someone may keep it from us.
HRESULT CInstancePublisher::_OpenSharedRecord()
{
    const char* pszCall = nullptr;
    HRESULT hr = OpenSharedRecord(*g_pSharedMemory, &pszCall);
    if (hr != S_OK && hr != std::exchange(m_hrRecord, hr)) {
        ReportError(hr, "%s", LoadResString(IDS_CANNOT_CREATE_OPEN_MEMORY).c_str());
        Trace("from %s", pszCall);
        Trace("from %s", "CKorvoPlayerDlg::_OpenSharedRecord()");
    }
    if (hr == S_OK)
        m_hrRecord = S_OK;
    return hr;
}

// Later starts find the window by the handle in the record.
void CInstancePublisher::Publish()
{
    SharedPlayerRecord* pRecord = _SharedRecord();
    if (pRecord != nullptr && ReadRecordWindow(*pRecord) != m_hWnd)
        WriteRecordWindow(*pRecord, m_hWnd);
}
