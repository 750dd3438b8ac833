// Messages between instances of the player: a request is a message number and
// two parameters, the reply is one 32-bit answer. The sender waits for the
// reply, but only so long: a peer that never answers counts as no peer.
#pragma once

#include "winsys/WindowSystem.h"

#include <cstdint>

struct InstanceRequest {
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

// How long a later instance waits for the running one, in milliseconds.
constexpr int kQueryTimeoutMs = 3000;
constexpr int kForwardTimeoutMs = 15000;

// Sends `request` to the player window `hWnd` and returns its answer; 0 when
// the window is gone, never answers within `timeoutMs`, or belongs to another
// user.
uint32_t SendInstanceMessage(WindowHandle hWnd, const InstanceRequest& request, int timeoutMs);

// The running player window of this user: `hRecorded` (the shared record's
// window) when it answers the presence query, else any window whose socket
// answers it, since the record may have been removed or scribbled by another
// process; 0 when no player runs.
WindowHandle FindRunningInstance(WindowHandle hRecorded);

// True when the process at the other end of the connected local socket `fd`
// runs as this user.
bool IsPeerThisUser(int fd);
