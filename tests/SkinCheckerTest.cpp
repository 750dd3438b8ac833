// Skins from archives and folders: the built-in skin repacked both ways loads
// and passes the checker; each hostile skin is caught with its place; the
// checker writes nothing outside its private folder; the real program's
// --check-skin answers with its exit status, and accepts the minimal skin of
// the skin guide, packed from the guide's own text.
#include "ScopedVariable.h"
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/SkinChecker.h"

#include <QProcess>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <gtest/gtest.h>

namespace {

constexpr const char* kCaption = "IDB_KORVOPLAYER_CAPTION";

// All problem lines, warnings included, for failure messages.
std::string Lines(const CSkinChecker& checker)
{
    std::string lines;
    for (const auto& problem : checker.Problems())
        lines += problem.sPlace + ": " + (problem.bWarning ? "warning: " : "") + problem.sText + "\n";
    return lines;
}

// Whether a problem (not a warning) has this place and mentions `word`.
bool HasProblem(const CSkinChecker& checker, const std::string& place, const std::string& word)
{
    for (const auto& problem : checker.Problems()) {
        if (!problem.bWarning && problem.sPlace == place && problem.sText.find(word) != std::string::npos)
            return true;
    }
    return false;
}

std::string ReadEntry(const std::string& name)
{
    CTempDir dir;
    const std::string folder = CSkinArchiveBuilder("").AddBuiltInSkin().WriteFolder(dir.Path());
    std::ifstream file(folder + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The built-in document with `from` replaced by `to` once.
std::string EditedDocument(const std::string& from, const std::string& to)
{
    std::string text = ReadEntry("skin.xml");
    const size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::runtime_error("not in the document: " + from);
    return text.replace(at, from.size(), to);
}

// The line of the document where `text` first appears.
std::string LineOf(const std::string& text)
{
    const std::string document = ReadEntry("skin.xml");
    const size_t at = document.find(text);
    return "skin.xml:" + std::to_string(1 + std::count(document.begin(), document.begin() + at, '\n'));
}

class SkinChecker : public ::testing::Test {
protected:
    // The built-in skin repacked, with the test's changes, as an archive.
    CSkinArchiveBuilder Skin() const { return CSkinArchiveBuilder(m_dir.Path() + "/skin.zip").AddBuiltInSkin(); }
    bool Check(const std::string& path) { return m_checker.Check(path.c_str()); }

    CTempDir m_dir;
    CSkinChecker m_checker;
};

TEST_F(SkinChecker, BuiltInSkinRepackedAsArchiveAndFolderIsGood)
{
    EXPECT_TRUE(Check(Skin().Write())) << Lines(m_checker);
    EXPECT_TRUE(Check(Skin().WriteFolder(m_dir.Path() + "/folder"))) << Lines(m_checker);
    // With the entries of its folders, as "zip -r" packs a skin; a folder
    // entry that leaves the skin's folder is still caught.
    EXPECT_TRUE(Check(Skin().Add("art/", "").Add("art/deeper/", "").Write())) << Lines(m_checker);
    EXPECT_FALSE(Check(Skin().Add("../art/", "").Write()));
}

TEST_F(SkinChecker, FolderSkinBuildsTheSameWindowAsTheArchive)
{
    const std::string archive = Skin().Write();
    const std::string folder = Skin().WriteFolder(m_dir.Path() + "/folder");
    QWidget fromArchive;
    QWidget fromFolder;
    CKorvoUIManager archiveManager;
    CKorvoUIManager folderManager;
    ASSERT_EQ(archiveManager.Init(&fromArchive, "korvoplayer", archive.c_str()), S_OK);
    ASSERT_EQ(folderManager.Init(&fromFolder, "korvoplayer", folder.c_str()), S_OK);
    ASSERT_EQ(folderManager.Controls().size(), archiveManager.Controls().size());
    int cx = 0;
    int cy = 0;
    folderManager.GetMinimunSize(&cx, &cy);
    EXPECT_EQ(QSize(cx, cy), QSize(492, 302));
    for (QWidget* pWindow : {&fromArchive, &fromFolder})
        pWindow->resize(cx, cy);
    archiveManager.Dock(0);
    folderManager.Dock(0);
    archiveManager.Paint();
    folderManager.Paint();
    EXPECT_EQ(folderManager.GetPicture().toImage(), archiveManager.GetPicture().toImage());
}

TEST_F(SkinChecker, MissingDocumentBitmapAndWindowAreReportedWithTheirPlace)
{
    EXPECT_FALSE(Check(Skin().Remove("skin.xml").Write()));
    EXPECT_TRUE(HasProblem(m_checker, m_dir.Path() + "/skin.zip", "no skin.xml")) << Lines(m_checker);

    EXPECT_FALSE(Check(Skin().Remove(kCaption).Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf(kCaption), kCaption)) << Lines(m_checker);

    const std::string noPlayer = EditedDocument("<window name=\"korvoplayer\"", "<window name=\"other\"");
    EXPECT_FALSE(Check(Skin().Replace("skin.xml", noPlayer).Write()));
    EXPECT_TRUE(HasProblem(m_checker, "skin.xml", "no window \"korvoplayer\"")) << Lines(m_checker);

    const std::string noMinimum = EditedDocument("minsize=\"238,302\"", "minsize=\"238\"");
    EXPECT_FALSE(Check(Skin().Replace("skin.xml", noMinimum).Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf("minsize=\"238,302\""), "minsize")) << Lines(m_checker);
}

TEST_F(SkinChecker, MalformedXmlGivesTheLineTheReaderStoppedAt)
{
    const std::string broken = EditedDocument("<window name=\"korvoplaylist\"", "<window name=\"korvoplaylist\" <");
    EXPECT_FALSE(Check(Skin().Replace("skin.xml", broken).Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf("<window name=\"korvoplaylist\""), "malformed XML")) << Lines(m_checker);
}

TEST_F(SkinChecker, BitmapsOfWrongSizeOrFormatOrTooManyPixels)
{
    // A button bitmap holds four frames side by side: odd columns are only
    // a warning (the built-in mute strip has two), a strip's lost frame is not.
    const std::string odd = EditedDocument("IDB_KORVOPLAYER_BTNSTOP", "odd.png");
    EXPECT_TRUE(Check(Skin().AddImage("odd.png", 41, 10).Replace("skin.xml", odd).Write())) << Lines(m_checker);
    EXPECT_NE(Lines(m_checker).find(LineOf("IDB_KORVOPLAYER_BTNSTOP") + ": warning: a button's bitmap"),
              std::string::npos)
        << Lines(m_checker);

    EXPECT_FALSE(Check(Skin().Replace(kCaption, "this is text, not a picture").Write()));
    EXPECT_TRUE(HasProblem(m_checker, kCaption, "format")) << Lines(m_checker);

    // About 100 MB once decoded; the checker refuses it from its header.
    EXPECT_FALSE(Check(Skin().AddImage("huge.png", 5120, 5120).Replace("skin.xml",
        EditedDocument(kCaption, "huge.png")).Write()));
    EXPECT_TRUE(HasProblem(m_checker, "huge.png", "pixels")) << Lines(m_checker);

    const std::string sliderDocument = EditedDocument("IDB_KORVOPLAYER_VOLUMESLIDER_FILL", "fill.png");
    EXPECT_FALSE(Check(Skin().AddImage("fill.png", 3, 3).Replace("skin.xml", sliderDocument).Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf("IDB_KORVOPLAYER_VOLUMESLIDER_FILL"), "same size")) << Lines(m_checker);
}

TEST_F(SkinChecker, HostileEntriesAreNamedAndNothingIsWrittenOutsideThePrivateFolder)
{
    const std::string tmp = m_dir.Path() + "/tmp";
    std::filesystem::create_directory(tmp);
    auto variable = std::make_unique<CScopedVariable>("TMPDIR", tmp);
    // The good skin is built, its bitmaps extracted, and the folder removed.
    const bool bBuiltInGood = Check(Skin().Write());
    const std::string bomb(40u << 20, '\0');
    const bool bGood = Check(Skin()
                                 .Add("../escape.png", "x")
                                 .Add("/etc/absolute.png", "x")
                                 .Add("bomb.bin", bomb.substr(0, 8u << 20))
                                 .Add("big.bin", bomb)
                                 .Write());
    variable.reset();
    EXPECT_TRUE(bBuiltInGood);
    EXPECT_FALSE(bGood);
    EXPECT_TRUE(HasProblem(m_checker, "../escape.png", "leaves")) << Lines(m_checker);
    EXPECT_TRUE(HasProblem(m_checker, "/etc/absolute.png", "absolute")) << Lines(m_checker);
    EXPECT_TRUE(HasProblem(m_checker, "bomb.bin", "ZIP bomb")) << Lines(m_checker);
    EXPECT_TRUE(HasProblem(m_checker, "big.bin", "more than")) << Lines(m_checker);
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() + "/escape.png"));
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST_F(SkinChecker, FontsMissingAreWarningsButUnknownNicknamesAreProblems)
{
    const std::string missingFace = EditedDocument("fontname=\"Tahoma\"", "fontname=\"No Such Face 1234\"");
    EXPECT_TRUE(Check(Skin().Replace("skin.xml", missingFace).Write())) << Lines(m_checker);
    bool bWarned = false;
    for (const auto& problem : m_checker.Problems())
        bWarned |= problem.bWarning && problem.sText.find("No Such Face 1234") != std::string::npos;
    EXPECT_TRUE(bWarned) << Lines(m_checker);

    const std::string unknownNickname = EditedDocument("fontnickname=\"TIME_FONT\"", "fontnickname=\"NOPE\"");
    EXPECT_FALSE(Check(Skin().Replace("skin.xml", unknownNickname).Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf("fontnickname=\"TIME_FONT\""), "NOPE")) << Lines(m_checker);
}

TEST_F(SkinChecker, EveryProblemIsCollectedNotOnlyTheFirst)
{
    const std::string document = EditedDocument("IDB_KORVOPLAYER_BTNSTOP", "gone.png");
    EXPECT_FALSE(Check(Skin().Remove(kCaption).Replace("skin.xml", document).Add("../x", "x").Write()));
    EXPECT_TRUE(HasProblem(m_checker, LineOf(kCaption), kCaption)) << Lines(m_checker);
    EXPECT_TRUE(HasProblem(m_checker, LineOf("IDB_KORVOPLAYER_BTNSTOP"), "gone.png")) << Lines(m_checker);
    EXPECT_TRUE(HasProblem(m_checker, "../x", "leaves")) << Lines(m_checker);
}

TEST_F(SkinChecker, FolderLinksThatLeaveTheFolderAreNotEntries)
{
    const std::string folder = Skin().Remove(kCaption).WriteFolder(m_dir.Path() + "/folder");
    const std::string outside = m_dir.WriteFile("outside.png", ReadEntry(kCaption));
    std::filesystem::create_symlink(outside, folder + "/" + kCaption);
    EXPECT_FALSE(Check(folder));
    EXPECT_TRUE(HasProblem(m_checker, LineOf(kCaption), "not in the skin")) << Lines(m_checker);
}

TEST_F(SkinChecker, ProgramAnswersCheckSkinWithItsExitStatus)
{
    QProcess good;
    good.start(KORVOPLAYER_PATH, {"--check-skin", QString::fromStdString(Skin().Write())});
    ASSERT_TRUE(good.waitForFinished(60000));
    EXPECT_EQ(good.exitCode(), 0) << good.readAllStandardOutput().toStdString();

    QProcess bad;
    bad.start(KORVOPLAYER_PATH,
              {"--check-skin", QString::fromStdString(Skin().Remove(kCaption).Add("../x", "x").Write())});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 1);
    const QStringList lines = QString::fromUtf8(bad.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(QString::fromStdString(LineOf(kCaption) + ": the bitmap \"" + kCaption +
                                                      "\" is not in the skin")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains("../x: the name is absolute or leaves the skin's folder"));
}

// The skin guide's minimal skin: its skin.xml and a bitmap of each size its
// table lists, so that the guide and the checker cannot disagree unnoticed.
CSkinArchiveBuilder GuideSkin(const std::string& path)
{
    std::ifstream file(std::string(KORVO_SOURCE_DIR) + "/docs/skins.md");
    const std::string guide((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t section = guide.find("## A minimal skin");
    const size_t begin = guide.find("```xml\n", section);
    const size_t end = guide.find("```", begin + 7);
    if (section == std::string::npos || begin == std::string::npos || end == std::string::npos)
        throw std::runtime_error("the guide has no minimal skin");
    CSkinArchiveBuilder skin(path);
    skin.Add("skin.xml", guide.substr(begin + 7, end - begin - 7));
    static const QRegularExpression row(R"(^\| `([^`]+)` \| (\d+) x (\d+) \|)", QRegularExpression::MultilineOption);
    const QString table = QString::fromStdString(guide.substr(section, begin - section));
    int nImages = 0;
    for (auto it = row.globalMatch(table); it.hasNext(); ++nImages) {
        const QRegularExpressionMatch match = it.next();
        skin.AddImage(match.captured(1).toStdString(), match.captured(2).toInt(), match.captured(3).toInt(), Qt::magenta);
    }
    if (nImages == 0)
        throw std::runtime_error("the guide lists no bitmap for its minimal skin");
    return skin;
}

TEST_F(SkinChecker, GuidesMinimalSkinIsAcceptedWithoutAnyRemark)
{
    const std::string archive = GuideSkin(m_dir.Path() + "/minimal.zip").Write();
    EXPECT_TRUE(Check(archive)) << Lines(m_checker);
    EXPECT_EQ(Lines(m_checker), "");
    QProcess program;
    program.start(KORVOPLAYER_PATH, {"--check-skin", QString::fromStdString(archive)});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardOutput().toStdString();

    const std::string folder = GuideSkin("").WriteFolder(m_dir.Path() + "/minimal");
    EXPECT_TRUE(Check(folder)) << Lines(m_checker);
}

} // namespace
