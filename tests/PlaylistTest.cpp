// The playlist window built from the built-in skin: its layout, the order
// of its entries, the current entry and its moves, its commands, the add
// dialog, and the snapping rules.
#include "DebugCapture.h"
#include "TempDir.h"
#include "controls/HoverButton.h"
#include "skin/SkinItem.h"
#include "skinui/PlaylistDlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class Playlist : public ::testing::Test {
protected:
    Playlist() : m_dlg(&m_player)
    {
        m_player.setGeometry(100, 100, 492, 302);
        EXPECT_TRUE(m_dlg.OnInitDialog());
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (int i = 0; i < m_dlg.List()->topLevelItemCount(); ++i)
            texts << m_dlg.List()->topLevelItem(i)->text(0);
        return texts;
    }

    QList<int> Selected() const
    {
        QList<int> rows;
        for (int i = 0; i < m_dlg.List()->topLevelItemCount(); ++i) {
            if (m_dlg.List()->topLevelItem(i)->isSelected())
                rows << i;
        }
        return rows;
    }

    void AddThree()
    {
        for (const char* psz : {"/m/a.avi", "/m/b.avi", "/m/c.avi"})
            m_dlg.AddFile(psz);
    }

    CHoverButton* Button(int nID) const
    {
        return qobject_cast<CHoverButton*>(m_dlg.SkinManager()->GetControl(nID));
    }

    QWidget m_player;
    CPlaylistDlg m_dlg;
    CDebugCapture m_capture;
};

TEST_F(Playlist, TakesTheSkinSizeAndLaysTheListOverTheMiddle)
{
    EXPECT_EQ(m_dlg.size(), QSize(238, 302));
    EXPECT_EQ(m_dlg.List()->geometry(), QRect(6, 32, 226, 238));
    EXPECT_EQ(m_dlg.List()->columnCount(), 1);
    EXPECT_EQ(m_dlg.List()->columnWidth(0), 226 - 24);
    EXPECT_TRUE(m_dlg.List()->isHeaderHidden());
    EXPECT_EQ(m_dlg.List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(m_dlg.List()->palette().color(QPalette::Text), QColor(85, 85, 85));
    EXPECT_EQ(m_dlg.List()->palette().color(QPalette::Base), QColor(242, 238, 238));
    m_dlg.show();
    m_dlg.resize(300, 400);
    EXPECT_EQ(m_dlg.List()->geometry(), QRect(6, 32, 288, 336));
    for (int nID : {IDC_PLAYLIST_ADD, IDC_PLAYLIST_DEL, IDC_PLAYLIST_BTNUP, IDC_PLAYLIST_BTNDOWN, IDC_PLAYLIST_SYS_CLOSE})
        EXPECT_NE(Button(nID), nullptr) << nID;
}

TEST_F(Playlist, AddFileSortsInAndMakesTheEntryCurrent)
{
    m_dlg.AddFile("/v/b.avi");
    m_dlg.AddFile("/v/a.avi");
    EXPECT_EQ(Texts(), (QStringList{"a.avi", "b.avi"}));
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/v/a.avi");
}

// The order a file manager shows: case and the digits' width do not count,
// Hangul sorts by its syllables, equal texts keep the order they came in.
TEST_F(Playlist, OrderIgnoresCaseReadsNumbersAndKeepsEqualTextsInArrivalOrder)
{
    m_dlg.AddFile("/v/B.avi");
    m_dlg.AddFile("/v/a.avi");
    m_dlg.AddFile("/v/track10.avi");
    m_dlg.AddFile("/v/track2.avi");
    EXPECT_EQ(Texts(), (QStringList{"a.avi", "B.avi", "track2.avi", "track10.avi"}));
    m_dlg.AddFile("/x/a.avi");
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 1);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/x/a.avi");
    m_dlg.SetCurrentIndex(0);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/v/a.avi");
}

TEST_F(Playlist, KoreanNamesSortBySyllable)
{
    for (const char* psz : {"/k/다람쥐.mp3", "/k/가방.mp3", "/k/나비.mp3"})
        m_dlg.AddFile(psz);
    EXPECT_EQ(Texts(), (QStringList{"가방.mp3", "나비.mp3", "다람쥐.mp3"}));
}

TEST(PlaylistText, DialogEntriesDropUnderscoresAndTheExtension)
{
    EXPECT_EQ(CPlaylistDlg::DisplayText("/v/my_clip.final.wmv"), "my clip.final");
    EXPECT_EQ(CPlaylistDlg::DisplayText("/v/README"), "");
    EXPECT_EQ(CPlaylistDlg::DisplayText("/v.d/README"), "");
    EXPECT_EQ(CPlaylistDlg::DisplayText("clip.mp3"), "clip");
}

TEST_F(Playlist, AddedFilesKeepTheCurrentIndexAndTheirFullPaths)
{
    m_dlg.AddFile("/v/zz.avi");
    m_dlg.AddFiles({"/v/my_clip.final.wmv", "/v/README"});
    EXPECT_EQ(Texts(), (QStringList{"", "my clip.final", "zz.avi"}));
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/v/README");
    m_dlg.AddFiles({});
    EXPECT_EQ(Texts().size(), 3);
}

TEST_F(Playlist, MoveToNextPastTheEndStopsOrWrapsWithRepeat)
{
    AddThree();
    ASSERT_EQ(m_dlg.GetCurrentIndex(), 2);
    m_dlg.MoveToNext();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 3);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "");
    m_dlg.MoveToNext();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 3);
    m_dlg.SetRepeat(true);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/m/a.avi");
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    m_dlg.SetCurrentIndex(2);
    m_dlg.MoveToNext();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    EXPECT_EQ(Selected(), QList<int>{0});
}

TEST_F(Playlist, MoveToPreviousBeforeTheFirstStopsOrWrapsWithRepeat)
{
    AddThree();
    m_dlg.SetCurrentIndex(0);
    m_dlg.List()->topLevelItem(0)->setSelected(true);
    m_dlg.MoveToPrevious();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), -1);
    EXPECT_TRUE(Selected().isEmpty());
    EXPECT_EQ(m_dlg.GetCurrentFile(), "");
    m_dlg.MoveToPrevious();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), -1);
    m_dlg.MoveToNext();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    EXPECT_EQ(Selected(), QList<int>{0});
    EXPECT_EQ(m_dlg.List()->currentItem(), m_dlg.List()->topLevelItem(0));
    m_dlg.SetRepeat(true);
    m_dlg.MoveToPrevious();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 2);
    EXPECT_EQ(Selected(), QList<int>{2});
}

TEST_F(Playlist, AnEmptyListHasNoCurrentFileWhateverTheIndex)
{
    for (bool bRepeat : {false, true}) {
        m_dlg.SetRepeat(bRepeat);
        for (int nIndex : {-1, 0, 1, 7}) {
            m_dlg.SetCurrentIndex(nIndex);
            EXPECT_EQ(m_dlg.GetCurrentFile(), "") << nIndex;
            m_dlg.MoveToNext();
            m_dlg.MoveToPrevious();
        }
    }
}

TEST_F(Playlist, DeleteRemovesTheSelectionAndLeavesTheIndex)
{
    AddThree();
    m_dlg.SetCurrentIndex(1);
    Button(IDC_PLAYLIST_DEL)->click();
    EXPECT_EQ(Texts().size(), 3);
    m_dlg.List()->topLevelItem(1)->setSelected(true);
    Button(IDC_PLAYLIST_DEL)->click();
    EXPECT_EQ(Texts(), (QStringList{"a.avi", "c.avi"}));
    EXPECT_EQ(m_dlg.GetCurrentFile(), "/m/c.avi");
    m_dlg.List()->selectAll();
    Button(IDC_PLAYLIST_DEL)->click();
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 1);
    EXPECT_EQ(m_dlg.GetCurrentFile(), "");
}

TEST_F(Playlist, UpDownAndCloseButtons)
{
    AddThree();
    m_dlg.SetCurrentIndex(1);
    Button(IDC_PLAYLIST_BTNDOWN)->click();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 2);
    Button(IDC_PLAYLIST_BTNUP)->click();
    Button(IDC_PLAYLIST_BTNUP)->click();
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 0);
    m_dlg.show();
    Button(IDC_PLAYLIST_SYS_CLOSE)->click();
    EXPECT_TRUE(m_dlg.isHidden());
}

TEST_F(Playlist, AClickMakesTheLastSelectedEntryCurrentAndADoubleClickAsksToPlay)
{
    AddThree();
    m_dlg.show();
    QSignalSpy chosen(&m_dlg, &CPlaylistDlg::EntryChosen);
    QTreeWidget* pList = m_dlg.List();
    auto centre = [&](int nRow) { return pList->visualItemRect(pList->topLevelItem(nRow)).center(); };
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, centre(2));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::ControlModifier, centre(0));
    EXPECT_EQ(Selected(), (QList<int>{0, 2}));
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 2);
    EXPECT_EQ(chosen.count(), 0);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, centre(1));
    EXPECT_EQ(chosen.count(), 0);
    QTest::mouseDClick(pList->viewport(), Qt::LeftButton, {}, centre(1));
    EXPECT_EQ(m_dlg.GetCurrentIndex(), 1);
    EXPECT_EQ(chosen.count(), 1);
}

// The add button opens the dialog with the three filters; what the user
// confirms is added, a cancelled dialog adds nothing.
TEST_F(Playlist, TheAddDialogOffersThreeFiltersAndAddsTheChosenFiles)
{
    CTempDir dir;
    dir.WriteFile("my_clip.final.wmv", "");
    dir.WriteFile("a_b.mp3", "");
    QStringList filters;
    bool bConfirm = true;
    auto answer = [&] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        filters = pDialog->nameFilters();
        EXPECT_EQ(pDialog->fileMode(), QFileDialog::ExistingFiles);
        if (!bConfirm)
            return pDialog->reject();
        pDialog->setDirectory(QString::fromStdString(dir.Path()));
        pDialog->selectFile("\"my_clip.final.wmv\" \"a_b.mp3\"");
        static_cast<QDialog*>(pDialog)->accept();
    };
    for (bool bAccept : {false, true}) {
        bConfirm = bAccept;
        QTimer::singleShot(0, answer);
        Button(IDC_PLAYLIST_ADD)->click();
    }
    ASSERT_EQ(filters.size(), 3);
    EXPECT_TRUE(filters[0].startsWith("Playable Files (*.mp3 *.ned *.avi")) << filters[0].toStdString();
    EXPECT_TRUE(filters[1].startsWith("Video Files (*.avi")) << filters[1].toStdString();
    EXPECT_EQ(filters[2], "All Files (*)");
    EXPECT_EQ(Texts(), (QStringList{"a b", "my clip.final"}));
}

TEST_F(Playlist, AThousandFilesAndHostileNamesAreAdded)
{
    QStringList paths;
    for (int i = 999; i >= 0; --i)
        paths << QString("/many/clip_%1.avi").arg(i);
    m_dlg.AddFiles(paths);
    ASSERT_EQ(Texts().size(), 1000);
    EXPECT_EQ(Texts().front(), "clip 0");
    EXPECT_EQ(Texts().back(), "clip 999");

    const std::string longPath = "/" + std::string(3990, 'x') + "/l.avi";
    const std::string badUtf8 = "/v/\xff\xfe_name.avi";
    for (const std::string& path : {longPath, std::string("/v/two\nlines.avi"), badUtf8}) {
        m_dlg.AddFile(path.c_str());
        EXPECT_EQ(m_dlg.GetCurrentFile(), path);
    }
    EXPECT_TRUE(Texts().contains("two lines.avi"));
    EXPECT_TRUE(Texts().contains(QString::fromUtf8("\xff\xfe_name.avi")));
}

// The player is at (100, 100) with size 492 x 302: right edge 592, bottom
// 402. The playlist is 238 x 302.
const RECT kPlayer{100, 100, 592, 402};

TEST(PlaylistSnap, TenPixelsFromTheRightEdgeSnapsAndElevenDoNot)
{
    WindowPlacement placement{602, 120, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_NONE), DOCK_RIGHT);
    EXPECT_EQ(placement.x, 592);
    EXPECT_EQ(placement.y, 120);
    placement = {603, 120, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_RIGHT), DOCK_NONE);
    EXPECT_EQ(placement.x, 603);
    placement = {582, 120, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_NONE), DOCK_RIGHT);
    EXPECT_EQ(placement.x, 592);
}

TEST(PlaylistSnap, AboveBelowAndLeftOfThePlayer)
{
    WindowPlacement placement{200, -195, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_NONE), DOCK_ABOVE);
    EXPECT_EQ(placement.y, 100 - 302);
    placement = {200, 410, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_NONE), DOCK_BELOW);
    EXPECT_EQ(placement.y, 402);
    placement = {-130, 150, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_NONE), DOCK_LEFT);
    EXPECT_EQ(placement.x, 100 - 238);
    // Far from every edge: no side.
    placement = {900, 700, 238, 302};
    EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, DOCK_LEFT), DOCK_NONE);
}

TEST(PlaylistSnap, APureZOrderChangeKeepsTheSide)
{
    WindowPlacement placement;
    for (int nSide : {DOCK_NONE, DOCK_ABOVE, DOCK_RIGHT, DOCK_LEFT, DOCK_BELOW})
        EXPECT_EQ(SnapToPlayer(&placement, 238, 302, kPlayer, nSide), nSide);
    EXPECT_EQ(placement.x, 0);
    EXPECT_EQ(placement.y, 0);
}

TEST_F(Playlist, PlacingTheWindowSnapsAndRecordsTheSide)
{
    m_dlg.PlaceWindow(QRect(601, 150, 238, 302));
    EXPECT_EQ(m_dlg.geometry().topLeft(), QPoint(592, 150));
    EXPECT_EQ(m_dlg.GetDockSide(), DOCK_RIGHT);
    m_dlg.show();
    m_dlg.raise();
    m_dlg.hide();
    EXPECT_EQ(m_dlg.GetDockSide(), DOCK_RIGHT);
    m_dlg.PlaceWindow(QRect(603, 150, 238, 302));
    EXPECT_EQ(m_dlg.geometry().topLeft(), QPoint(603, 150));
    EXPECT_EQ(m_dlg.GetDockSide(), DOCK_NONE);
}

} // namespace
