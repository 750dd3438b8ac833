// The record that every instance of the player started by the same user
// shares: the running player window's handle and the file a later instance
// hands over. Any process of the user can write it, so every field is read
// with its length bound.
#pragma once

#include "common/ComTypes.h"
#include "winsys/WindowSystem.h"

#include <cstddef>
#include <string>

constexpr size_t kRecordFileSize = 4096;
constexpr size_t kRecordArgumentSize = 128;

struct SharedPlayerRecord {
    WindowHandle window;
    char file[kRecordFileSize];
    char secondArgument[kRecordArgumentSize];
    char reserved[128];
};

static_assert(sizeof(SharedPlayerRecord) == 4356);
static_assert(offsetof(SharedPlayerRecord, window) == 0);
static_assert(offsetof(SharedPlayerRecord, file) == 4);
static_assert(offsetof(SharedPlayerRecord, secondArgument) == 4100);
static_assert(offsetof(SharedPlayerRecord, reserved) == 4228);

class CSharedMemory;

// The mapped record of this process; null until start-up has mapped it.
extern SharedPlayerRecord* g_pSharedRecord;
// The shared-memory object behind g_pSharedRecord, kept when opening it
// again fails; null until start-up has opened it, and again after exit.
extern CSharedMemory* g_pSharedMemory;

// Creates the record in `memory`, or opens it when it exists, maps it, zeroes
// a new one and makes it this process's record. On failure the process has
// no record (g_pSharedRecord is null); the code is returned and *ppszCall
// names the call that failed.
HRESULT OpenSharedRecord(CSharedMemory& memory, const char** ppszCall);

// The record when every byte of it can be touched; null when there is none,
// or when another process has cut the object short (touching it then would
// kill this process).
SharedPlayerRecord* WholeSharedRecord();

// Reports a record cut short (ERROR_INVALID_DATA) and returns the code.
HRESULT ReportShortRecord();

// The text of a record field: at most cbField - 1 bytes, up to the first zero.
std::string ReadRecordText(const char* pField, size_t cbField);

WindowHandle ReadRecordWindow(const SharedPlayerRecord& record);
void WriteRecordWindow(SharedPlayerRecord& record, WindowHandle hWnd);
