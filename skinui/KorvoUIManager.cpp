#include "KorvoUIManager.h"

#include "skin/SkinBitmapTable.h"
#include "winsys/StringTable.h"
#include "winsys/WindowSystem.h"
#include "common/Report.h"
#include "controls/BitmapSlider.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// Faces that hold Latin and Korean glyphs, tried after a skin's own face.
const QStringList kFallbackFaces = {"NanumGothic", "DejaVu Sans"};

// Reports a message of the string table, its "%s" replaced by `pszArg`.
HRESULT ReportResString(HRESULT code, int nID, const char* pszArg = nullptr)
{
    return ReportError(code, "%s", LoadResStringWith(nID, pszArg).c_str());
}

std::string Attribute(const CNode* pNode, const char* pszName)
{
    const char* psz = pNode->GetAttribute(pszName);
    return psz != nullptr ? psz : "";
}

bool Contains(const std::string& s, const char* pszWord)
{
    return s.find(pszWord) != std::string::npos;
}

std::unique_ptr<QFont> MakeFont(const std::string& face, int nWidth, int nHeight, bool bBold, bool bItalic,
                                bool bUnderline)
{
    const QString family = QString::fromStdString(face);
    auto font = std::make_unique<QFont>();
    font->setFamilies(QStringList{family} + kFallbackFaces);
    // The height is the character cell's, leading included.
    font->setPixelSize(nHeight);
    if (int nCell = QFontMetrics(*font).height(); nCell > nHeight)
        font->setPixelSize(std::max(1, nHeight * nHeight / nCell));
    font->setWeight(bBold ? QFont::Bold : QFont::Normal);
    font->setItalic(bItalic);
    font->setUnderline(bUnderline);
    if (nWidth > 0) {
        int nAverage = QFontMetrics(*font).averageCharWidth();
        if (nAverage > 0)
            font->setStretch(std::clamp(nWidth * 100 / nAverage, 1, 4000));
    }
    if (!QFontDatabase::hasFamily(family))
        Trace("font face \"%s\" is not installed; text uses \"%s\"", face.c_str(),
              QFontInfo(*font).family().toUtf8().constData());
    return font;
}

// The dock rule: places a control of record `item` in its parent's free
// rectangle, which gives up the strip the control takes. Returns false for a
// control that is not placed.
bool DockRect(const CSkinItem& item, RECT* pFree, RECT* prc)
{
    const auto& [L, T, R, B] = *pFree;
    const int w = item.m_nWidth;
    const int h = item.m_nHeight;
    const auto& [gl, gt, gr, gb] = item.m_gaps;
    const std::string& align = item.m_sAlign;
    if (skinvalue::EqualNoCase(align, "top")) {
        *prc = {L + gl, T + gt, R - gr, T + gt + h};
        pFree->top = T + gt + h + gb;
    } else if (skinvalue::EqualNoCase(align, "bottom")) {
        *prc = {L + gl, B - gb - h, R - gr, B - gb};
        pFree->bottom = B - gb - h - gt;
    } else if (skinvalue::EqualNoCase(align, "left")) {
        *prc = {L + gl, T + gt, L + gl + w, B - gb};
        pFree->left = L + gl + w + gr;
    } else if (skinvalue::EqualNoCase(align, "right")) {
        *prc = {R - gr - w, T + gt, R - gr, B - gb};
        pFree->right = R - gr - w - gl;
    } else if (skinvalue::EqualNoCase(align, "client")) {
        *prc = {L + gl, T + gt, R - gr, B - gb};
    } else {
        return false;
    }
    return true;
}

bool IsStaticOrButton(const QWidget* pControl)
{
    return qobject_cast<const CTransparentStatic*>(pControl) != nullptr ||
           qobject_cast<const CHoverButton*>(pControl) != nullptr;
}

const QPixmap* ImageOrNull(const CSkinItem& item, SkinImage slot)
{
    return item.HasImage(slot) ? &item.Image(slot) : nullptr;
}

} // namespace

CKorvoUIManager::~CKorvoUIManager()
{
    m_archive.Close();
    if (m_pRootItem != nullptr && m_pParent != nullptr && CSkinItem::FromWindow(m_pParent) == m_pRootItem.get())
        CSkinItem::Attach(m_pParent, nullptr);
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
        delete it->data();
    m_controls.clear();
    m_items.clear();
    m_bitmapIds.clear();
}

HRESULT CKorvoUIManager::Init(QWidget* pwndParent, const char* pszWindowName, const char* pszSkinArchive)
{
    m_pRootItem = std::make_unique<CSkinItem>();
    HRESULT hr = Create(pwndParent, pszWindowName, pszSkinArchive);
    if (hr != S_OK)
        return TraceFrom(hr, "CKorvoUIManager::Init()");
    for (const SkinBitmapEntry& entry : SkinBitmapTable())
        m_bitmapIds[entry.pszName] = entry.nID;
    m_pRootItem->m_rcFree = RECT::FromQRect(QRect(pwndParent->mapToGlobal(QPoint(0, 0)), pwndParent->size()));
    CSkinItem::Attach(pwndParent, m_pRootItem.get());
    try {
        hr = _Build(pszWindowName != nullptr ? pszWindowName : "");
    } catch (const std::exception& e) {
        hr = ReportError(ERROR_EXCEPTION_IN_SERVICE, "%.1024s", e.what());
    }
    // The first layout is at the minimum size, whatever size the window has
    // (a skin taken while the player shows a file): the video area then is
    // the base that the frame margins are measured from.
    if (hr == S_OK && GetControl(IDC_LOGOPANEL) != nullptr)
        _Dock(m_rcMinimum.Width(), m_rcMinimum.Height(), 0);
    return TraceFrom(hr, "CKorvoUIManager::Init()");
}

HRESULT CKorvoUIManager::_Build(const char* pszWindowName)
{
    std::string text;
    HRESULT hr = _LoadDocument(&text);
    if (hr == S_OK)
        hr = m_xml.InitFromStream(text.c_str());
    if (hr == S_OK)
        hr = _SetMinimunSize(pszWindowName);
    if (hr == S_OK)
        hr = _CreateFonts();
    if (hr == S_OK)
        hr = _CreateControls(pszWindowName, m_bFromResources);
    return hr;
}

HRESULT CKorvoUIManager::_LoadDocument(std::string* pText)
{
    if (m_sSkinArchive.empty()) {
        m_bFromResources = true;
        QByteArray document;
        if (!LoadResourceData(IDR_SKIN_XML, "XML", document))
            return ReportError(ERROR_NOT_FOUND, "Can not find resource %d of type %s", IDR_SKIN_XML, "XML");
        *pText = document.toStdString();
        return S_OK;
    }
    m_bFromResources = false;
    HRESULT hr = m_archive.Open(m_sSkinArchive.c_str());
    if (hr != S_OK)
        return hr;
    int64_t nIndex = m_archive.Locate("skin.xml");
    if (nIndex < 0)
        return ReportResString(ERROR_NOT_FOUND, 5043);
    if (m_archive.Read(nIndex, pText) != S_OK)
        return ReportResString(ERROR_EXCEPTION_IN_SERVICE, 5052, "skin.xml");
    return S_OK;
}

HRESULT CKorvoUIManager::_SetMinimunSize(const char* pszWindowName)
{
    std::vector<CNode*> windows;
    m_xml.GetRoot()->SearchNodes(&windows, "window", nullptr);
    for (CNode* pWindow : windows) {
        if (!skinvalue::EqualNoCase(Attribute(pWindow, "name"), pszWindowName))
            continue;
        int cx = 0;
        int cy = 0;
        if (std::sscanf(Attribute(pWindow, "minsize").c_str(), "%d,%d", &cx, &cy) == 2 && cx >= 1 && cy >= 1) {
            m_pWindow = pWindow;
            m_rcMinimum = {0, 0, cx, cy};
            m_rcPlayer = m_rcMinimum;
            return S_OK;
        }
        break;
    }
    return TraceFrom(ReportResString(ERROR_BAD_FORMAT, 5045), "CKorvoUIManager::_SetMinimunSize()");
}

HRESULT CKorvoUIManager::_CreateFonts()
{
    std::vector<CNode*> fonts;
    HRESULT hr = m_xml.GetRoot()->SearchNodes(&fonts, "fonts", "font", nullptr);
    if (hr != S_OK)
        return TraceFrom(hr, "CKorvoUIManager::_CreateFonts()");
    for (CNode* pFont : fonts) {
        std::string nickname = Attribute(pFont, "nickname");
        std::string face = Attribute(pFont, "fontname");
        int nHeight = skinvalue::ToInt(Attribute(pFont, "height"));
        if (nickname.empty() || face.empty() || nHeight < 1)
            continue;
        m_fonts[nickname] = MakeFont(face, skinvalue::ToInt(Attribute(pFont, "width")), nHeight,
                                     skinvalue::IsYes(Attribute(pFont, "bold")),
                                     skinvalue::IsYes(Attribute(pFont, "italic")),
                                     skinvalue::IsYes(Attribute(pFont, "underline")));
    }
    return S_OK;
}

HRESULT CKorvoUIManager::_CreateControls(const char* pszWindowName, bool bFromResources)
{
    std::vector<CNode*> windows;
    m_xml.GetRoot()->SearchNodes(&windows, "window", nullptr);
    if (windows.empty())
        return TraceFrom(ReportResString(ERROR_BAD_FORMAT, 5050), "CKorvoUIManager::_CreateControls()");
    const std::string name = pszWindowName;
    const bool bKnownName = skinvalue::EqualNoCase(name, "korvoplayer") || skinvalue::EqualNoCase(name, "korvoplaylist");
    for (CNode* pWindow : windows) {
        std::vector<CNode*> controls;
        pWindow->SearchNodes(&controls, "control", nullptr);
        if (controls.empty())
            return TraceFrom(ReportResString(ERROR_BAD_FORMAT, 5050), "CKorvoUIManager::_CreateControls()");
        if (!bKnownName || !skinvalue::EqualNoCase(Attribute(pWindow, "name"), pszWindowName))
            continue;
        for (CNode* pControl : controls) {
            HRESULT hr = _CreateControlRecursive(pControl, m_pParent, bFromResources);
            if (hr != S_OK)
                return TraceFrom(hr, "CKorvoUIManager::_CreateControls()");
        }
    }
    return S_OK;
}

std::unique_ptr<CSkinItem> CKorvoUIManager::_ReadRecord(CNode* pNode) const
{
    auto item = std::make_unique<CSkinItem>();
    if (auto it = m_controlIds.find(Attribute(pNode, "cid")); it != m_controlIds.end())
        item->m_nID = it->second;
    item->m_sType = Attribute(pNode, "type");
    item->m_sAlign = Attribute(pNode, "align");
    item->m_sImageAlign = Attribute(pNode, "imagealign");
    item->m_bTransparent = skinvalue::IsYes(Attribute(pNode, "transparent"));
    skinvalue::ToColor(Attribute(pNode, "transparentcolor"), &item->m_clrTransparent);
    skinvalue::ToColor(Attribute(pNode, "foregroundcolor"), &item->m_clrForeground);
    item->m_nWidth = skinvalue::ToInt(Attribute(pNode, "width"));
    item->m_nHeight = skinvalue::ToInt(Attribute(pNode, "height"));
    skinvalue::ToQuad(Attribute(pNode, "gaps"), item->m_gaps);
    skinvalue::ToQuad(Attribute(pNode, "innergaps"), item->m_innerGaps);
    skinvalue::ToQuad(Attribute(pNode, "fixedsize"), item->m_fixedSize);
    item->m_sFontNickname = Attribute(pNode, "fontnickname");
    item->m_sTooltip = Attribute(pNode, "tooltip");
    skinvalue::ToColor(Attribute(pNode, "fontcolor"), &item->m_clrFont);
    return item;
}

HRESULT CKorvoUIManager::_CreateControlRecursive(CNode* pNode, QWidget* pParent, bool bFromResources)
{
    if (pNode == nullptr || pParent == nullptr)
        return ArgumentFault("CKorvoUIManager::_CreateControlRecursive()", "pNode = %llx, pParent = %llx", Hex(pNode),
                             Hex(pParent));
    std::unique_ptr<CSkinItem> item = _ReadRecord(pNode);
    for (int slot = 0; slot < SKINIMAGE_COUNT; ++slot) {
        std::string name = Attribute(pNode, g_skinImageAttributes[slot]);
        if (name.empty())
            continue;
        HRESULT hr = _LoadBitmap(name.c_str(), bFromResources, &item->Image(static_cast<SkinImage>(slot)));
        if (hr != S_OK)
            return TraceFrom(hr, "CKorvoUIManager::_CreateControlRecursive()");
    }
    if (item->m_bTransparent)
        item->ApplyColorKey();
    HRESULT hr = S_OK;
    QWidget* pControl = _CreateControl(pNode, std::move(item), pParent, &hr);
    if (hr != S_OK)
        return TraceFrom(hr, "CKorvoUIManager::_CreateControlRecursive()");
    for (const auto& child : pNode->m_children) {
        hr = _CreateControlRecursive(child.get(), pControl, bFromResources);
        if (hr != S_OK)
            return TraceFrom(hr, "CKorvoUIManager::_CreateControlRecursive()");
    }
    return S_OK;
}

QWidget* CKorvoUIManager::_CreateControl(CNode* pNode, std::unique_ptr<CSkinItem> item, QWidget* pParent,
                                         HRESULT* phr)
{
    const std::string cls = Attribute(pNode, "class");
    const QPixmap& base = item->Image(SKINIMAGE_ONSETFOCUS);
    if (skinvalue::EqualNoCase(cls, "static")) {
        const bool bBitmap = skinvalue::EqualNoCase(item->m_sType, "bitmap");
        if (bBitmap && base.isNull()) {
            *phr = ReportResString(ERROR_NOT_FOUND, 5047);
            return nullptr;
        }
        auto* pStatic = new CTransparentStatic(pParent);
        if (const QFont* pFont = GetFont(item->m_sFontNickname))
            pStatic->setFont(*pFont);
        if (bBitmap) {
            pStatic->ModifyStyle(SS_BITMAP);
        } else if (skinvalue::EqualNoCase(item->m_sType, "text")) {
            const std::string align = Attribute(pNode, "textalign");
            pStatic->ModifyStyle((Contains(align, "right") ? SS_RIGHT : 0) | (Contains(align, "hcenter") ? SS_CENTER : 0) |
                                 (Contains(align, "singleline") || Contains(align, "vcenter") ? SS_CENTERIMAGE : 0) |
                                 (Contains(align, "endellipsis") ? SS_ENDELLIPSIS : 0) |
                                 (Contains(align, "noprefix") ? SS_NOPREFIX : 0));
        } else if (skinvalue::EqualNoCase(item->m_sType, "transparent")) {
            pStatic->ModifyStyleEx(WS_EX_TRANSPARENT);
        }
        if (item->m_nWidth == 0 && !base.isNull())
            item->m_nWidth = base.width();
        if (item->m_nHeight == 0 && !base.isNull())
            item->m_nHeight = base.height();
        _AddControl(pStatic, std::move(item));
        return pStatic;
    }
    if (skinvalue::EqualNoCase(cls, "button")) {
        auto* pButton = new CHoverButton(pParent);
        if (item->m_nWidth == 0)
            item->m_nWidth = base.width() / 4;
        if (item->m_nHeight == 0)
            item->m_nHeight = base.height();
        pButton->SetTooltipText(&item->m_sTooltip, true);
        _AddControl(pButton, std::move(item));
        return pButton;
    }
    if (skinvalue::EqualNoCase(cls, "slider")) {
        auto* pSlider = new CBitmapSlider(pParent);
        const QPixmap& fill = item->Image(SKINIMAGE_IMAGEFILL);
        if (item->m_nWidth == 0)
            item->m_nWidth = fill.width();
        if (item->m_nHeight == 0)
            item->m_nHeight = fill.height();
        pSlider->SetVertical(skinvalue::EqualNoCase(Attribute(pNode, "direction"), "vertical"));
        pSlider->SetFocusRectangle(false, false);
        CSkinItem* pItem = item.get();
        _AddControl(pSlider, std::move(item));
        pSlider->SetChannelBitmaps(ImageOrNull(*pItem, SKINIMAGE_IMAGEEMPTY), ImageOrNull(*pItem, SKINIMAGE_IMAGEFILL),
                                   pItem->m_bTransparent, pItem->m_clrTransparent);
        pSlider->SetKnobBitmaps(ImageOrNull(*pItem, SKINIMAGE_IMAGEKNOB), nullptr, true, pItem->m_clrTransparent);
        if (pItem->m_nID == IDC_SLIDER_TIME) {
            pSlider->SetPos(0);
            pSlider->SetRangeMinMax(0, 0, false);
        }
        return pSlider;
    }
    return nullptr;
}

void CKorvoUIManager::_AddControl(QWidget* pControl, std::unique_ptr<CSkinItem> item)
{
    // Controls start with an empty rectangle; the layout places them.
    pControl->setGeometry(0, 0, 0, 0);
    CSkinItem::Attach(pControl, item.get());
    m_controls.emplace_back(pControl);
    m_items.push_back(std::move(item));
}

HRESULT CKorvoUIManager::_LoadBitmap(const char* pszName, bool bFromResources, QPixmap* pbmp)
{
    if (pszName == nullptr || pbmp == nullptr)
        return ArgumentFault("CKorvoUIManager::_LoadBitmap()", "pszBitmapFileName = %llx, pbmp = %llx", Hex(pszName),
                             Hex(pbmp));
    HRESULT hr = S_OK;
    if (!bFromResources) {
        hr = _LoadBitmapFromArchive(pszName, pbmp);
    } else {
        auto it = m_bitmapIds.find(pszName);
        QPixmap image;
        if (it != m_bitmapIds.end())
            image.load(QString::asprintf(kSkinBitmapResourceFormat, it->second));
        if (image.isNull()) {
            hr = ReportError(ERROR_NOT_FOUND, "%s is not a bitmap of the program", pszName);
            Trace("from %s", "LoadBitmap()");
        } else {
            *pbmp = image;
        }
    }
    return TraceFrom(hr, "CKorvoUIManager::_LoadBitmap()");
}

HRESULT CKorvoUIManager::_LoadBitmapFromArchive(const char* pszName, QPixmap* pbmp)
{
    int64_t nIndex = m_archive.Locate(pszName);
    if (nIndex < 0)
        return ReportResString(ERROR_NOT_FOUND, 5051, pszName);
    std::string path;
    if (m_archive.Extract(nIndex, &path) != S_OK) {
        HRESULT hr = ReportResString(ERROR_EXCEPTION_IN_SERVICE, 5052, pszName);
        Trace("from %s", "CSkinArchive::Extract()");
        return hr;
    }
    QPixmap image;
    if (!image.load(QString::fromStdString(path))) {
        HRESULT hr = ReportError(ERROR_BAD_FORMAT, "%s is not a readable image", pszName);
        Trace("from %s", "QPixmap::load()");
        return hr;
    }
    *pbmp = image;
    return S_OK;
}

void CKorvoUIManager::Dock(unsigned nType)
{
    if (m_pParent != nullptr)
        _Dock(m_pParent->width(), m_pParent->height(), nType);
}

// Lays the controls out in a window of cx x cy.
void CKorvoUIManager::_Dock(int cx, int cy, unsigned nType)
{
    m_pRootItem->m_rcFree = {0, 0, cx, cy};
    for (QWidget* pControl : Controls()) {
        CSkinItem* pItem = CSkinItem::FromWindow(pControl);
        CSkinItem* pParentItem = CSkinItem::FromWindow(pControl->parentWidget());
        RECT rc = RECT::FromQRect(pControl->geometry());
        if (pParentItem != nullptr && DockRect(*pItem, &pParentItem->m_rcFree, &rc)) {
            pControl->setGeometry(rc.ToQRect());
            pItem->m_rcFree = {0, 0, rc.Width(), rc.Height()};
        }
        if (pItem->m_nID == IDC_LOGOPANEL) {
            m_rcAvailableScreen = rc;
            pControl->setVisible(!m_bPlaying);
        } else {
            pControl->show();
        }
        if (IsStaticOrButton(pControl))
            dynamic_cast<ISkinControl*>(pControl)->OnSizeState(nType);
    }
    // The first layout, at the minimum size (Init), gives the base video
    // area that the frame margins are measured from.
    if (m_rcBaseAvailableScreen.Width() < 1 && GetControl(IDC_LOGOPANEL) != nullptr)
        m_rcBaseAvailableScreen = m_rcAvailableScreen;
}

void CKorvoUIManager::Paint()
{
    if (m_pParent == nullptr)
        return;
    const int W = m_pParent->width();
    const int H = m_pParent->height();
    m_picture = QPixmap(std::max(W, 1), std::max(H, 1));
    m_picture.fill(Qt::white);
    m_pRootItem->m_rcFree = m_pRootItem->m_rcWindow = {0, 0, W, H};
    QPainter memory(&m_picture);
    for (QWidget* pControl : Controls()) {
        pControl->hide();
        CSkinItem* pItem = CSkinItem::FromWindow(pControl);
        CSkinItem* pParentItem = CSkinItem::FromWindow(pControl->parentWidget());
        RECT rc;
        if (pParentItem != nullptr && DockRect(*pItem, &pParentItem->m_rcFree, &rc)) {
            const RECT& origin = pParentItem->m_rcWindow;
            pItem->m_rcWindow = {rc.left + origin.left, rc.top + origin.top, rc.right + origin.left,
                                 rc.bottom + origin.top};
            pItem->m_rcFree = {0, 0, rc.Width(), rc.Height()};
        }
        if (pItem->m_nID == IDC_LOGOPANEL) {
            m_rcAvailableScreen = pItem->m_rcWindow;
            if (m_bPlaying)
                continue;
        }
        if (auto* pSkinControl = dynamic_cast<ISkinControl*>(pControl))
            pSkinControl->Draw(&memory, &pItem->m_rcWindow);
    }
    memory.end();
    m_pParent->update();
}

template <typename Call> void CKorvoUIManager::_Broadcast(Call call)
{
    for (QWidget* pControl : Controls()) {
        if (IsStaticOrButton(pControl))
            call(dynamic_cast<ISkinControl*>(pControl));
    }
}

void CKorvoUIManager::OnActivate(unsigned nState)
{
    _Broadcast([nState](ISkinControl* p) { p->OnActivate(nState); });
}

void CKorvoUIManager::OnPlaying()
{
    m_bPlaying = true;
    if (QWidget* pLogo = GetControl(IDC_LOGOPANEL))
        pLogo->hide();
    if (auto* pSlider = qobject_cast<CBitmapSlider*>(GetControl(IDC_SLIDER_TIME)))
        pSlider->EnableSlider(true);
    _Broadcast([](ISkinControl* p) { p->OnPlaying(); });
}

void CKorvoUIManager::OnPause()
{
    _Broadcast([](ISkinControl* p) { p->OnPause(); });
}

void CKorvoUIManager::OnStop()
{
    m_bPlaying = false;
    if (QWidget* pLogo = GetControl(IDC_LOGOPANEL))
        pLogo->show();
    for (int nID : {IDC_TXT_TIMEINFO, IDC_TITLE}) {
        if (auto* pText = qobject_cast<CTransparentStatic*>(GetControl(nID)))
            pText->SetText("");
    }
    if (auto* pSlider = qobject_cast<CBitmapSlider*>(GetControl(IDC_SLIDER_TIME))) {
        pSlider->SetPos(0);
        pSlider->SetRangeMinMax(0, 0, false);
    }
    _Broadcast([](ISkinControl* p) { p->OnStop(); });
}

void CKorvoUIManager::OnMute()
{
    _Broadcast([](ISkinControl* p) { p->OnMute(); });
}

QWidget* CKorvoUIManager::GetControl(int nID) const
{
    for (QWidget* pControl : Controls()) {
        if (CSkinItem::FromWindow(pControl)->m_nID == nID)
            return pControl;
    }
    return nullptr;
}

std::vector<QWidget*> CKorvoUIManager::Controls() const
{
    std::vector<QWidget*> controls;
    for (const QPointer<QWidget>& pControl : m_controls) {
        if (pControl != nullptr)
            controls.push_back(pControl.data());
    }
    return controls;
}

const QFont* CKorvoUIManager::GetFont(const std::string& nickname) const
{
    auto it = m_fonts.find(nickname);
    return it != m_fonts.end() ? it->second.get() : nullptr;
}

std::string CKorvoUIManager::WindowAttribute(const char* pszName) const
{
    return m_pWindow != nullptr ? Attribute(m_pWindow, pszName) : std::string();
}
