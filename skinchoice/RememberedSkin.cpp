#include "RememberedSkin.h"

#include "common/Report.h"
#include "state/PlayerMemory.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

// A skin that exists but cannot be read by this user now: a folder that
// cannot be listed or its skin.xml not read, an archive not read.
bool IsUnreadable(const std::string& skin)
{
    std::error_code error;
    const std::filesystem::path path(skin);
    if (!std::filesystem::exists(path, error))
        return false;
    if (std::filesystem::is_directory(path, error))
        return ::access(skin.c_str(), R_OK | X_OK) != 0 || ::access((path / "skin.xml").c_str(), R_OK) != 0;
    return ::access(skin.c_str(), R_OK) != 0;
}

} // namespace

std::string RememberedSkin()
{
    CPlayerMemory memory;
    memory.Load();
    return memory.Skin();
}

void RememberSkin(const std::string& skin)
{
    CPlayerMemory memory;
    memory.Load();
    if (memory.Skin() == skin)
        return;
    memory.SetSkin(skin);
    memory.Save();
}

bool ForgetFailedSkin(const std::string& skin)
{
    if (IsUnreadable(skin)) {
        Trace("the remembered skin %s cannot be read now; it is tried again at the next start", skin.c_str());
        return false;
    }
    Trace("the remembered skin %s is forgotten; the built-in skin is used", skin.c_str());
    RememberSkin({});
    return true;
}
