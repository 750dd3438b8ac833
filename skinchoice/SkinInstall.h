// Skin packages: skin archives (ZIP) under the extension of the player's own
// MIME type, application/x-korvoplayer-skin, which the file manager hands
// to the player to install into the user's skin folder.
#pragma once

#include "common/ComTypes.h"

#include <string>

// Whether `path` names a skin package (extension .kvskin, in any case).
bool IsSkinPackage(const std::string& path);

// Checks the package (CheckChosenSkin) and copies it into the user's skin
// folder (the first of SkinFolders()) as NAME.zip, NAME its file name
// without extension, replacing an earlier install of the same file name.
// The copy is written under a hidden name first and renamed, so that a
// failed copy installs nothing. *pInstalled is the installed archive.
HRESULT InstallSkin(const std::string& package, std::string* pInstalled);
