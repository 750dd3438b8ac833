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

// From now on a connection to the X server that breaks (the server or the
// compositor that runs it went away) ends the player at once with one line
// and status 1. Without this, the X library would end the process from
// whichever thread met the loss first (a streaming thread drawing the
// picture) while the others still ran, and the process could crash on
// its way out.
void EndWhenTheDisplayGoes();
