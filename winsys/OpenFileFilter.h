// The filter of the open-file dialogs (the player's Open and the playlist's
// Add): playable files, video files and all files, each named by its text
// of the string table (5057, 5058, 5059).
#pragma once

#include <QString>

// The three filters in the form QFileDialog takes ("Name (*.a *.b);;...").
QString OpenFileFilter();
