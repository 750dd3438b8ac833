#include "SharedPlayerRecord.h"

#include <cstring>

SharedPlayerRecord* g_pSharedRecord = nullptr;

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
