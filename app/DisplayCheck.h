// Whether the player can reach the X server it runs on, checked before the
// window system is started: without one Qt would abort the process. The
// player then says why in one line and leaves with status 1.
#pragma once

#include <string>

// Empty when the player will run on a platform other than X11 (the user
// chose one) or the X server named by DISPLAY answers; else the one-line
// message that says what is missing.
std::string MissingDisplayMessage();

// Writes `message` on standard error, shows it as a desktop notification
// when the session bus has a notification service, and returns the exit
// status 1.
int ReportMissingDisplay(const std::string& message);
