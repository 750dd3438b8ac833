// The skins offered to choose from: archives and folders in the user's and
// the system's skin folders, named as they name themselves, the user's own
// first; what is not a skin is left out.
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "skin/SkinCatalog.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string SkinXml(const std::string& info)
{
    return "<?xml version=\"1.0\"?><korvoplayerskin version=\"1.0\">" + info + "</korvoplayerskin>";
}

std::vector<std::string> Names(const std::vector<SkinEntry>& skins)
{
    std::vector<std::string> names;
    for (const SkinEntry& skin : skins)
        names.push_back(skin.name);
    return names;
}

TEST(SkinCatalog, ListsArchivesAndFoldersByTheirOwnNamesUserFirst)
{
    CTempDir dir;
    const std::string user = dir.Path() + "/user";
    const std::string system = dir.Path() + "/system";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system);
    CSkinArchiveBuilder(user + "/dark.zip").Add("skin.xml", SkinXml("<skininfo name=\"Night\" version=\"1\"/>")).Write();
    CSkinArchiveBuilder(user + "/plain").Add("skin.xml", SkinXml("")).WriteFolder(user + "/plain");
    CSkinArchiveBuilder(system + "/other-night.ZIP").Add("skin.xml", SkinXml("<skininfo name=\"Night\"/>")).Write();
    CSkinArchiveBuilder(system + "/aqua.zip").Add("skin.xml", SkinXml("<skininfo author=\"x\" name=\"Aqua\"/>")).Write();
    // Not skins: an archive without skin.xml, a file that is no archive, a
    // folder without skin.xml, a text file.
    CSkinArchiveBuilder(system + "/empty.zip").Add("readme.txt", "no skin here").Write();
    dir.WriteFile("system/broken.zip", "PK\x03\x04 not really");
    std::filesystem::create_directories(system + "/folder");
    dir.WriteFile("system/notes.txt", "text");

    const std::vector<SkinEntry> skins = FindSkins({user, system, dir.Path() + "/missing"});
    EXPECT_EQ(Names(skins), (std::vector<std::string>{"Aqua", "Night", "plain"}));
    ASSERT_EQ(skins.size(), 3u);
    EXPECT_EQ(skins[1].path, user + "/dark.zip") << "the user's own skin of a name wins";
    EXPECT_EQ(skins[2].path, user + "/plain");
}

TEST(SkinCatalog, NamesComeFromTheSkinInfoElementOnly)
{
    CTempDir dir;
    const auto name = [&](const std::string& document) {
        return SkinInfoName(CSkinArchiveBuilder(dir.Path() + "/s.zip").Add("skin.xml", document).Write());
    };
    EXPECT_EQ(name(SkinXml("<skininfo version=\"1\" name=\"Deep Blue\"/>")), "Deep Blue");
    EXPECT_EQ(name(SkinXml("<window name=\"korvoplayer\"/>")), "");
    EXPECT_EQ(name(SkinXml("<skininfo filename=\"x\"/><window name=\"korvoplayer\"/>")), "");
    EXPECT_EQ(name(SkinXml("<skininfo name=\"" + std::string(500, 'a') + "\"/>")), "");
    EXPECT_EQ(name("<skininfo name=\"unterminated"), "");
    EXPECT_EQ(SkinInfoName(dir.Path() + "/missing.zip"), "");
}

TEST(SkinCatalog, FoldersFollowTheDesktopsDataFolders)
{
    const char* pszHome = std::getenv("XDG_DATA_HOME");
    const char* pszDirs = std::getenv("XDG_DATA_DIRS");
    const std::string home = pszHome != nullptr ? pszHome : "";
    const std::string dirs = pszDirs != nullptr ? pszDirs : "";
    ::setenv("XDG_DATA_HOME", "/home/u/data", 1);
    ::setenv("XDG_DATA_DIRS", "/opt/share::relative:/usr/share", 1);
    EXPECT_EQ(SkinFolders(), (std::vector<std::string>{"/home/u/data/korvoplayer/skins", "/opt/share/korvoplayer/skins",
                                                       "/usr/share/korvoplayer/skins"}));
    ::unsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(SkinFolders().back(), "/usr/share/korvoplayer/skins");
    pszHome != nullptr ? ::setenv("XDG_DATA_HOME", home.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    if (pszDirs != nullptr)
        ::setenv("XDG_DATA_DIRS", dirs.c_str(), 1);
}

} // namespace
