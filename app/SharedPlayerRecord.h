// The record that every instance of the player started by the same user
// shares: the running player window's handle and the file a later instance
// hands over. Any process of the user can write it, so every field is read
// with its length bound.
#pragma once

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

// The mapped record of this process; null until start-up has mapped it.
extern SharedPlayerRecord* g_pSharedRecord;

// The text of a record field: at most cbField - 1 bytes, up to the first zero.
std::string ReadRecordText(const char* pField, size_t cbField);

WindowHandle ReadRecordWindow(const SharedPlayerRecord& record);
void WriteRecordWindow(SharedPlayerRecord& record, WindowHandle hWnd);
