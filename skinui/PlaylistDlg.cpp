#include "PlaylistDlg.h"

#include "winsys/MessageEvent.h"
#include "winsys/OpenFileFilter.h"
#include "winsys/WindowSystem.h"
#include "common/Report.h"
#include "controls/ISkinControl.h"
#include "skin/SkinValues.h"

#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QTreeWidget>
#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
const QColor kListText(85, 85, 85);
const QColor kListBackground(242, 238, 238);

// A colour a skin gives its playlist window ("r,g,b"), or `fallback` where
// it gives none.
QColor SkinColor(const CKorvoUIManager& skin, const char* pszName, const QColor& fallback)
{
    const std::string value = skin.WindowAttribute(pszName);
    if (value.empty())
        return fallback;
    COLORREF color = 0;
    skinvalue::ToColor(value, &color);
    return skinvalue::ToQColor(color);
}

// The last part of a path, after its last '/'.
std::string FileNamePart(const std::string& path)
{
    const size_t nSlash = path.rfind('/');
    return nSlash == std::string::npos ? path : path.substr(nSlash + 1);
}

// An entry's text as the list shows it: the name's bytes as UTF-8 (what is
// not UTF-8 shows as replacement characters) on one line.
QString ShownText(const std::string& name)
{
    QString text = QString::fromUtf8(name);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

CPlaylistDlg::CPlaylistDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint), m_pList(new QTreeWidget(this)), m_frame(this, this)
{
    // File names sort as a file manager shows them: by the user's locale
    // (English rules under the C locale, whose byte order would put "B"
    // before "a"), ignoring case, digits by their value ("2" before "10");
    // entries with equal texts stay in the order they were added.
    if (QLocale().language() == QLocale::C)
        m_collator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

CPlaylistDlg::~CPlaylistDlg()
{
    // The skin's controls go before the window that holds them.
    m_pSkin.reset();
}

bool CPlaylistDlg::OnInitDialog(const std::string& skin)
{
    if (!_BuildSkin(skin)) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(LastReport()));
        Trace("from %s", "CPlaylistDlg::OnInitDialog()");
        return false;
    }

    m_pList->setHeaderHidden(true);
    m_pList->setColumnCount(1);
    m_pList->setRootIsDecorated(false);
    m_pList->setIndentation(0);
    m_pList->setUniformRowHeights(true);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setFrameShape(QFrame::NoFrame);
    // The list takes its own mouse input; the frame's cursors stay off it.
    m_pList->setCursor(Qt::ArrowCursor);
    _TakeListColors();
    _Relayout();
    m_pList->setColumnWidth(0, m_pList->width() - 24);
    connect(m_pList, &QTreeWidget::itemClicked, this, [this] { _OnSelect(); });
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] {
        _OnSelect();
        emit EntryChosen();
    });
    return true;
}

// The new controls are built while the old ones still stand, so that a
// skin that fails leaves the window as it was until the old skin is built
// again in its place.
bool CPlaylistDlg::ChangeSkin(const std::string& skin)
{
    if (m_pSkin == nullptr)
        return false;
    if (!_BuildSkin(skin)) {
        Trace("from %s", "CPlaylistDlg::ChangeSkin()");
        _BuildSkin(std::string(m_pSkin->SkinArchive()));
        return false;
    }
    _TakeListColors();
    _Relayout();
    m_pList->setColumnWidth(0, m_pList->width() - 24);
    update();
    return true;
}

// Builds the skin's controls and takes the skin's size; the skin manager
// before stays until the new one stands. False, with the skin manager's
// report, when the skin cannot be built.
bool CPlaylistDlg::_BuildSkin(const std::string& skin)
{
    auto pSkin = std::make_unique<CKorvoUIManager>();
    if (pSkin->Init(this, "korvoplaylist", skin.empty() ? nullptr : skin.c_str()) != S_OK)
        return false;
    m_pSkin = std::move(pSkin);
    int cx = 0;
    int cy = 0;
    m_pSkin->GetPlayerSize(&cx, &cy);
    resize(cx, cy);
    return true;
}

// The list's colours and the margin around it, from the skin where it gives
// them ("listtext", "listbackground", "listmargin" on its playlist window).
void CPlaylistDlg::_TakeListColors()
{
    const QColor background = SkinColor(*m_pSkin, "listbackground", kListBackground);
    QPalette palette = m_pList->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Text, SkinColor(*m_pSkin, "listtext", kListText));
    m_pList->setPalette(palette);
    m_listMargin = SkinColor(*m_pSkin, "listmargin", Qt::white);
}

void CPlaylistDlg::AddFile(const char* pszPath)
{
    if (pszPath == nullptr)
        return;
    m_nCurrent = _InsertEntry(ShownText(FileNamePart(pszPath)), pszPath);
}

void CPlaylistDlg::AddFiles(const QStringList& paths)
{
    m_pList->setUpdatesEnabled(false);
    for (const QString& path : paths) {
        const std::string bytes = QFile::encodeName(path).toStdString();
        _InsertEntry(ShownText(DisplayText(bytes)), bytes);
    }
    m_pList->setUpdatesEnabled(true);
}

std::string CPlaylistDlg::DisplayText(const std::string& path)
{
    std::string name = FileNamePart(path);
    std::replace(name.begin(), name.end(), '_', ' ');
    const size_t nDot = name.rfind('.');
    return nDot == std::string::npos ? std::string() : name.substr(0, nDot);
}

int CPlaylistDlg::_InsertEntry(const QString& text, const std::string& path)
{
    int nLow = 0;
    int nHigh = m_pList->topLevelItemCount();
    while (nLow < nHigh) {
        const int nMiddle = (nLow + nHigh) / 2;
        if (m_collator.compare(text, m_pList->topLevelItem(nMiddle)->text(0)) < 0)
            nHigh = nMiddle;
        else
            nLow = nMiddle + 1;
    }
    auto* pItem = new QTreeWidgetItem(QStringList{text});
    pItem->setData(0, kPathRole, QByteArray::fromStdString(path));
    m_pList->insertTopLevelItem(nLow, pItem);
    return nLow;
}

std::string CPlaylistDlg::GetCurrentFile()
{
    if (m_nCurrent < 0)
        return {};
    if (m_nCurrent >= m_pList->topLevelItemCount()) {
        if (!m_bRepeat)
            return {};
        m_nCurrent = 0;
    }
    const QTreeWidgetItem* pItem = m_pList->topLevelItem(m_nCurrent);
    return pItem != nullptr ? pItem->data(0, kPathRole).toByteArray().toStdString() : std::string();
}

void CPlaylistDlg::MoveToPrevious()
{
    if (m_nCurrent < 0)
        return;
    _SetSelected(m_nCurrent, false);
    if (--m_nCurrent < 0) {
        if (!m_bRepeat)
            return;
        m_nCurrent = m_pList->topLevelItemCount() - 1;
    }
    _SetSelected(m_nCurrent, true);
}

void CPlaylistDlg::MoveToNext()
{
    const int nCount = m_pList->topLevelItemCount();
    if (m_nCurrent >= nCount)
        return;
    _SetSelected(m_nCurrent, false);
    if (++m_nCurrent >= nCount) {
        if (!m_bRepeat)
            return;
        m_nCurrent = 0;
    }
    _SetSelected(m_nCurrent, true);
}

// Selecting an entry also gives it the focus; deselecting leaves the focus.
void CPlaylistDlg::_SetSelected(int nIndex, bool bSelected)
{
    QTreeWidgetItem* pItem = m_pList->topLevelItem(nIndex);
    if (pItem == nullptr)
        return;
    pItem->setSelected(bSelected);
    if (bSelected)
        m_pList->selectionModel()->setCurrentIndex(m_pList->indexFromItem(pItem), QItemSelectionModel::NoUpdate);
}

void CPlaylistDlg::_OnSelect()
{
    for (int i = m_pList->topLevelItemCount() - 1; i >= 0; --i) {
        if (m_pList->topLevelItem(i)->isSelected()) {
            m_nCurrent = i;
            return;
        }
    }
}

void CPlaylistDlg::_OnAdd()
{
    const QStringList paths = QFileDialog::getOpenFileNames(nullptr, QString(), QString(), OpenFileFilter());
    AddFiles(paths);
}

void CPlaylistDlg::_OnDelete()
{
    for (int i = 0; i < m_pList->topLevelItemCount();) {
        if (m_pList->topLevelItem(i)->isSelected())
            delete m_pList->takeTopLevelItem(i);
        else
            ++i;
    }
}

void CPlaylistDlg::_OnCommand(int nID)
{
    switch (nID) {
    case IDC_PLAYLIST_ADD:
        return _OnAdd();
    case IDC_PLAYLIST_DEL:
        return _OnDelete();
    case IDC_PLAYLIST_BTNUP:
        return MoveToPrevious();
    case IDC_PLAYLIST_BTNDOWN:
        return MoveToNext();
    case IDC_PLAYLIST_SYS_CLOSE:
        return hide();
    default:
        return;
    }
}

bool CPlaylistDlg::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        if (pMessage->m_nMessage == WM_COMMAND) {
            _OnCommand(static_cast<int>(pMessage->m_wParam & 0xFFFFu));
            return true;
        }
    }
    return QDialog::event(pEvent);
}

void CPlaylistDlg::PlaceWindow(const QRect& rc)
{
    WindowPlacement placement{rc.x(), rc.y(), rc.width(), rc.height()};
    if (const QWidget* pPlayer = parentWidget())
        m_nDockSide = SnapToPlayer(&placement, width(), height(), RECT::FromQRect(pPlayer->geometry()), m_nDockSide);
    PlaceTopLevelWindow(this, QRect(placement.x, placement.y, placement.cx, placement.cy));
}

QSize CPlaylistDlg::FrameMinimumSize() const
{
    int cx = 0;
    int cy = 0;
    if (m_pSkin != nullptr)
        m_pSkin->GetMinimunSize(&cx, &cy);
    return {cx, cy};
}

void CPlaylistDlg::OnFrameDragEnd()
{
    if (m_pSkin != nullptr)
        m_pSkin->Dock(0);
}

void CPlaylistDlg::PlaceFrameWindow(QWidget*, const QRect& rc)
{
    PlaceWindow(rc);
}

// While the frame sizes the window only the composed picture follows (the
// control windows stay hidden); the layout is redone when the drag ends.
void CPlaylistDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    _Relayout();
}

void CPlaylistDlg::_Relayout()
{
    _PlaceList();
    if (m_pSkin == nullptr)
        return;
    const unsigned nType = isMaximized() ? SIZE_MAXIMIZED : 0;
    if (m_frame.IsDragging()) {
        m_pSkin->Dock(nType);
        m_pSkin->Paint();
    } else {
        m_pSkin->Paint();
        m_pSkin->Dock(nType);
    }
}

void CPlaylistDlg::_PlaceList()
{
    m_pList->setGeometry(6, 32, width() - 12, height() - 64);
    update();
}

void CPlaylistDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_pSkin != nullptr)
        painter.drawPixmap(0, 0, m_pSkin->GetPicture());
    painter.fillRect(1, 30, width() - 2, height() - 60, m_listMargin);
}
