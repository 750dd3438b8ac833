// The skins a user can choose from: skin archives (*.zip) and folders
// holding skin.xml, in the user's skin folder and then in each system one.
// Each is named by the name its skininfo gives, else by its file name; a
// name listed from an earlier folder hides the same name in later ones, so
// the user's own skin of a name wins. What cannot be opened as a skin, or
// has no skin.xml, is left out.
#pragma once

#include <string>
#include <vector>

struct SkinEntry {
    std::string name;
    std::string path;
};

// $XDG_DATA_HOME/korvoplayer/skins (~/.local/share/... without it), then
// korvoplayer/skins under each folder of $XDG_DATA_DIRS (/usr/local/share
// and /usr/share without it).
std::vector<std::string> SkinFolders();

// The skins in `folders`, sorted by name.
std::vector<SkinEntry> FindSkins(const std::vector<std::string>& folders);

// The name a skin gives itself in its skininfo; empty when it gives none or
// cannot be read.
std::string SkinInfoName(const std::string& path);
// The name a skin is listed by: its own, else its file name without the
// extension.
std::string SkinDisplayName(const std::string& path);
