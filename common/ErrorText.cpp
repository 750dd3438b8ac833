#include "ErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace {

struct CodeText {
    uint32_t code;
    const char* text;
};

// Sorted by code.
constexpr CodeText kTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {11, "An attempt was made to load a program with an incorrect format."},
    {13, "The data is invalid."},
    {19, "The media is write protected."},
    {30, "The system cannot read from the specified device."},
    {32, "The process cannot access the file because it is being used by another process."},
    {38, "Reached the end of the file."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {82, "The directory or file cannot be created."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {131, "An attempt was made to move the file pointer before the beginning of the file."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {267, "The directory name is invalid."},
    {1064, "An exception occurred in the service when handling the control request."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1168, "Element not found."},
    {1225, "The remote computer refused the network connection."},
    {1460, "This operation returned because the timeout period expired."},
    {1921, "The name of the file cannot be resolved by the system."},
    {2250, "No filter can render the streams of this file."},
    {0x00040237u, "The graph is still changing to the state asked for."},
    {0x80004001u, "Not implemented"},
    {0x80004002u, "No such interface supported"},
    {0x80004003u, "Invalid pointer"},
    {0x80004004u, "Operation aborted"},
    {0x80004005u, "Unspecified error"},
    {0x8000FFFFu, "Catastrophic failure"},
    {0x80040110u, "Class does not support aggregation (or class object is remote)"},
    {0x80040111u, "ClassFactory cannot supply requested class"},
    {0x80040154u, "Class not registered"},
    {0x8004020Eu, "The specified address alignment is not valid for this buffer."},
    {0x80040218u, "No combination of decoders and renderers could be found to render the stream."},
    {0x80040227u, "The operation could not be performed because the filter is in the wrong state."},
    {0x8004022Eu, "A time-out has expired."},
    {0x8004022Fu, "The file format is invalid."},
    {0x8004025Cu, "Cannot play back the audio stream: the audio format or rate is not supported."},
    {0x8004025Du, "Cannot play back the video stream: the video format or rate is not supported."},
    {0x80040265u, "Cannot play back the file: no decoder for its format is installed."},
    {0xC00D002Bu, "The request is invalid in the current state."},
    {0xC00D003Cu, "The specified stream does not exist."},
    {0xC00D07D1u, "The buffer is too small."},
    {0xC00D07F0u, "The object was not found."},
    {0xC00D0BB8u, "The input media format is invalid."},
    {0xC00D0BCFu, "No more samples in the current range."},
};

struct ErrnoCode {
    int err;
    HRESULT code;
};

constexpr ErrnoCode kErrnoCodes[] = {
    {ENOENT, 2},   {ENOTDIR, 3},    {EMFILE, 4},   {ENFILE, 4},         {EACCES, 5},      {EPERM, 5},
    {EISDIR, 5},   {EBADF, 6},      {ENOMEM, 8},   {EROFS, 19},         {EBUSY, 32},      {ETXTBSY, 32},
    {EEXIST, 80},  {EINVAL, 87},    {EPIPE, 109},  {ENOSPC, 112},       {ENAMETOOLONG, 206},
    {EFBIG, 223},  {EIO, 1117},     {ECONNREFUSED, 1225},               {ETIMEDOUT, 1460},
    {ELOOP, 1921}, {EOVERFLOW, 223}, {ENOSYS, 50}, {EOPNOTSUPP, 50},
};

constexpr uint32_t kErrnoCustomerBit = 0x20000000u;
constexpr uint32_t kWin32Facility = 0x80070000u;

const char* TableText(uint32_t code)
{
    auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                               [](const CodeText& entry, uint32_t value) { return entry.code < value; });
    return it != std::end(kTexts) && it->code == code ? it->text : nullptr;
}

std::string ErrnoText(int err)
{
    char buffer[256];
    return strerror_r(err, buffer, sizeof buffer);
}

} // namespace

std::string ErrorText(HRESULT code)
{
    auto value = static_cast<uint32_t>(code);
    if (const char* text = TableText(value))
        return text;
    if ((value & 0xFFFF0000u) == kWin32Facility)
        if (const char* text = TableText(value & 0xFFFFu))
            return text;
    if ((value & 0xFFFF0000u) == kErrnoCustomerBit && (value & 0xFFFFu) != 0)
        return ErrnoText(static_cast<int>(value & 0xFFFFu));
    return {};
}

HRESULT Win32ErrorFromErrno(int err)
{
    for (const ErrnoCode& entry : kErrnoCodes)
        if (entry.err == err)
            return entry.code;
    return static_cast<HRESULT>(kErrnoCustomerBit | (static_cast<uint32_t>(err) & 0xFFFFu));
}

HRESULT GetLastError()
{
    return Win32ErrorFromErrno(errno);
}
