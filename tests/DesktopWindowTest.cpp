// The player window as a desktop window: files dropped on it and on its
// playlist with real drop events, and its icon, in this process (drops need
// the widgets themselves), with the desktop integration the program runs.
#include "MediaTestSetup.h"
#include "PrivateSessionBus.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "app/CommandLine.h"
#include "app/DesktopIntegration.h"
#include "app/FileDropTarget.h"
#include "app/KorvoPlayerDlg.h"
#include "common/Report.h"
#include "playback/MediaGraph.h"
#include "skinui/PlaylistDlg.h"
#include "winsys/WindowSystem.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "EventLoopWait.h"

namespace {

class DesktopWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CPrivateSessionBus::Get();
        PrepareMediaPlayback();
    }

    void SetUp() override
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data()};
        SetCommandLine(1, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDesktop = std::make_unique<CDesktopIntegration>(*m_pDlg);
        m_pDlg->show();
    }

    void TearDown() override
    {
        m_pDesktop.reset();
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    std::string Media(const std::string& name, TestMedia media)
    {
        std::string path = m_dir.Path() + "/" + name;
        std::filesystem::create_symlink(TestMediaPath(media), path);
        return path;
    }

    // A drag from a file manager carrying `uris` as text/uri-list, entered
    // and dropped in the middle of `pWindow`; whether the window took it.
    static bool Drop(QWidget* pWindow, const QList<QUrl>& uris)
    {
        QMimeData data;
        data.setUrls(uris);
        const QPoint centre = pWindow->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pWindow, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pWindow, &drop);
        return drop.isAccepted();
    }

    static QUrl Url(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

    QStringList Entries() const
    {
        QStringList entries;
        QTreeWidget* pList = m_pDlg->Playlist()->List();
        for (int i = 0; i < pList->topLevelItemCount(); ++i)
            entries << pList->topLevelItem(i)->text(0);
        return entries;
    }

    int State()
    {
        int nState = -1;
        m_pDlg->Graph().GetState(10000, &nState);
        return nState;
    }

    CTempDir m_dir;
    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
    std::unique_ptr<CDesktopIntegration> m_pDesktop;
};

TEST_F(DesktopWindowTest, FilesDroppedOnThePlayerJoinThePlaylistAndTheFirstPlays)
{
    const std::string second = Media("b second.wmv", TestMedia::Wmv);
    const std::string first = Media("c first.mp3", TestMedia::Mp3);
    const std::string third = Media("a third.avi", TestMedia::Avi);
    ASSERT_TRUE(Drop(m_pDlg.get(), {Url(first), Url(second), Url(third)}));
    EXPECT_EQ(m_pDlg->FileName(), first);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    EXPECT_EQ(Entries().size(), 3);
    EXPECT_EQ(m_pDlg->Playlist()->GetCurrentFile(), first);
    EXPECT_EQ(m_pDesktop->PlayerDrops()->MessageBox(), nullptr);
}

TEST_F(DesktopWindowTest, FilesDroppedOnThePlaylistAreAddedWithoutPlaying)
{
    const std::string song = Media("song.mp3", TestMedia::Mp3);
    const std::string clip = Media("clip.wmv", TestMedia::Wmv);
    ASSERT_TRUE(Drop(m_pDlg->Playlist(), {Url(song), Url(clip)}));
    EXPECT_EQ(Entries().size(), 2);
    EXPECT_EQ(State(), State_Stopped);
    EXPECT_TRUE(m_pDlg->FileName().empty());
}

// Only local files are taken; the rest is named in a message, and a drop
// of nothing but such URIs changes nothing.
TEST_F(DesktopWindowTest, NonLocalUrisAndMissingFilesAreRefusedWithAMessage)
{
    ASSERT_TRUE(Drop(m_pDlg.get(), {QUrl(QStringLiteral("http://example.invalid/song.mp3")),
                                    Url(m_dir.Path() + "/missing.wmv")}));
    QMessageBox* pBox = m_pDesktop->PlayerDrops()->MessageBox();
    ASSERT_NE(pBox, nullptr);
    EXPECT_TRUE(pBox->text().contains(QStringLiteral("http://example.invalid/song.mp3")));
    EXPECT_TRUE(pBox->text().contains(QStringLiteral("missing.wmv")));
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(State(), State_Stopped);

    // A mixed drop keeps the local file and names the other.
    const std::string song = Media("song.mp3", TestMedia::Mp3);
    ASSERT_TRUE(Drop(m_pDlg->Playlist(), {QUrl(QStringLiteral("sftp://host/x.mp3")), Url(song)}));
    EXPECT_EQ(Entries().size(), 1);
    ASSERT_NE(m_pDesktop->PlaylistDrops()->MessageBox(), nullptr);
    EXPECT_TRUE(m_pDesktop->PlaylistDrops()->MessageBox()->text().contains(QStringLiteral("sftp://host/x.mp3")));
}

TEST_F(DesktopWindowTest, ADragWithoutFilesIsNotTaken)
{
    QMimeData data;
    data.setText(QStringLiteral("just text"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pDlg.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

// Resource 128 is the window icon of the player and of its playlist.
TEST_F(DesktopWindowTest, BothWindowsCarryTheApplicationIcon)
{
    QIcon icon = LoadResourceIcon(IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(256, 256)});
    const QImage expected = icon.pixmap(32).toImage();
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32).toImage(), expected);
    EXPECT_EQ(m_pDlg->Playlist()->windowIcon().pixmap(32).toImage(), expected);
    EXPECT_TRUE(LoadResourceIcon(IDR_MAINFRAME + 1000).isNull());
}

} // namespace
