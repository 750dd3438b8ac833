// Registration of the library for the current user: a link to the library
// in the folder where GStreamer looks for the user's own plugins, so that
// every GStreamer program of the user finds its elements.
#pragma once

#include "common/ComTypes.h"

#include <string>

// The name under which the library is registered; GStreamer derives the
// plugin's entry point from it.
constexpr const char* kPluginFileName = "libBrelmSource.so";

class CPluginInstaller {
public:
    // The user's plugin folder: $XDG_DATA_HOME/gstreamer-1.0/plugins, with
    // ~/.local/share standing in for an unset or relative XDG_DATA_HOME.
    static std::string UserPluginDir();

    // Links the library at `modulePath` into the user's plugin folder,
    // replacing an earlier registration. Failures come back as 0x8007xxxx.
    static HRESULT Register(const std::string& modulePath);

    // Removes the registration; one that does not exist counts as removed.
    static HRESULT Unregister();
};

// A Win32 error number as a result code in the Win32 facility.
constexpr HRESULT HResultFromWin32(HRESULT error)
{
    return error <= 0 ? error : static_cast<HRESULT>((static_cast<uint32_t>(error) & 0xFFFF) | 0x80070000u);
}
