// What the playback benchmarks set up before they play: the X11 window
// system (they need DISPLAY), GStreamer, the file stream our sources read
// through, and the one native window both players draw into. Failures end
// the program with a message.
#pragma once

#include <QApplication>
#include <QWidget>
#include <memory>

// Starts Qt on xcb and GStreamer for `pszProgram`; keep the application for
// the program's lifetime.
std::unique_ptr<QApplication> StartWindowSystem(int& argc, char** argv, const char* pszProgram);

// Makes `screen` a native window, as the player's screen window is, and
// shows it.
void ShowNativeScreen(QWidget& screen);
