// The system's message texts for result codes, and the translation of the
// C library's errno values into the Win32 error numbers the system reports.
#pragma once

#include "ComTypes.h"

#include <string>

// The text for a Win32 error number or a result code, empty when there is
// none. Result codes that wrap a Win32 number (0x8007xxxx) get that number's
// text; codes made from an errno value without a Win32 match get the C
// library's text.
std::string ErrorText(HRESULT code);

// The Win32 error number matching `err`; an errno value without a match
// becomes a customer-defined code (0x20000000 | err) whose text is the C
// library's own.
HRESULT Win32ErrorFromErrno(int err);

// The Win32 number for the calling thread's current errno.
HRESULT GetLastError();
