// The gate a skin the user chooses passes before the player takes it: the
// skin checker's findings, so that a skin with missing or oversized bitmaps,
// unsafe entries or a broken document never replaces a working one. Needs a
// QApplication.
#pragma once

#include "common/ComTypes.h"

#include <string>

// S_OK for a skin the checker finds sound (warnings allowed); otherwise
// ERROR_BAD_FORMAT, reported with every problem on a line of its own.
HRESULT CheckChosenSkin(const std::string& path);
