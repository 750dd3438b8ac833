// Per-user names of the single-instance rendezvous: the shared record and the
// local sockets of the running player windows. KORVOPLAYER_INSTANCE_TAG, when
// set to letters, digits, '-' or '_', keeps a separate set of names (tests use
// it to stay apart from a player the user runs).
#pragma once

#include "winsys/WindowSystem.h"

#include <string>
#include <vector>

// The shared-memory object's name, carrying the user id.
std::string SharedRecordName();

// A directory only this user can enter, created when missing; empty when no
// safe directory could be had (errno set).
std::string InstanceSocketDirectory();

// The lock file that orders simultaneous start-ups.
std::string StartupLockPath();

// The socket on which the player window `hWnd` answers later instances.
std::string InstanceSocketPath(WindowHandle hWnd);

// The windows that have a socket in the directory, live or left behind.
std::vector<WindowHandle> InstanceSocketWindows();
