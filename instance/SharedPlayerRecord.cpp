#include "SharedPlayerRecord.h"

#include "InstanceNames.h"
#include "SharedMemory.h"
#include "common/Report.h"

#include <cstring>

SharedPlayerRecord* g_pSharedRecord = nullptr;
CSharedMemory* g_pSharedMemory = nullptr;

HRESULT OpenSharedRecord(CSharedMemory& memory, const char** ppszCall)
{
    g_pSharedRecord = nullptr;
    g_pSharedMemory = &memory;
    void* pView = nullptr;
    HRESULT hr = memory.Create(SharedRecordName(), sizeof(SharedPlayerRecord));
    *ppszCall = "CreateFileMapping()";
    if (hr == S_OK) {
        hr = memory.Map(&pView);
        *ppszCall = "MapViewOfFile()";
    }
    if (hr != S_OK)
        return hr;
    g_pSharedRecord = static_cast<SharedPlayerRecord*>(pView);
    if (!memory.AlreadyExisted())
        std::memset(g_pSharedRecord, 0, sizeof *g_pSharedRecord);
    return S_OK;
}

HRESULT ReportShortRecord()
{
    return ReportError(ERROR_INVALID_DATA, "The shared record is shorter than %zu bytes", sizeof(SharedPlayerRecord));
}

SharedPlayerRecord* WholeSharedRecord()
{
    return g_pSharedRecord != nullptr && g_pSharedMemory->IsWhole() ? g_pSharedRecord : nullptr;
}

std::string ReadRecordText(const char* pField, size_t cbField)
{
    if (cbField == 0)
        return {};
    // Copy first: another process may change the field while it is read.
    std::string text(pField, cbField - 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

WindowHandle ReadRecordWindow(const SharedPlayerRecord& record)
{
    return __atomic_load_n(&record.window, __ATOMIC_ACQUIRE);
}

void WriteRecordWindow(SharedPlayerRecord& record, WindowHandle hWnd)
{
    __atomic_store_n(&record.window, hWnd, __ATOMIC_RELEASE);
}
