// The skin manager of one skinned window: loads the skin document (built in
// or from a skin archive), reads the window's minimum size and the fonts,
// builds one child control per "control" element, lays the controls out,
// composes the window's look and switches the controls' state images.
#pragma once

#include "skin/SkinArchive.h"
#include "skin/SkinItem.h"
#include "skin/UIManager.h"
#include "skin/XMLParser.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CKorvoUIManager : public CUIManager {
public:
    CKorvoUIManager() = default;
    ~CKorvoUIManager() override;

    HRESULT Init(QWidget* pwndParent, const char* pszWindowName, const char* pszSkinArchive) override;
    // Places every control by its dock rule and shows it; nType is the
    // window's size type (SIZE_MAXIMIZED when maximized).
    void Dock(unsigned nType) override;
    // Composes every control's look into the window's picture (GetPicture),
    // hides the control windows and schedules the window's repaint.
    void Paint() override;
    void OnActivate(unsigned nState) override;
    void OnPlaying() override;
    void OnPause() override;
    void OnStop() override;
    void OnMute() override;
    // The first control whose record has the id, or null.
    QWidget* GetControl(int nID) const override;

    // The window's look from the last Paint.
    const QPixmap& GetPicture() const { return m_picture; }
    // The controls in creation order (each before its children).
    std::vector<QWidget*> Controls() const;
    bool IsPlaying() const { return m_bPlaying; }
    // The font of the skin's font table under `nickname`, or null.
    const QFont* GetFont(const std::string& nickname) const;
    // An attribute of the skin's element of this window, empty when it has
    // none.
    std::string WindowAttribute(const char* pszName) const;

private:
    HRESULT _Build(const char* pszWindowName);
    void _Dock(int cx, int cy, unsigned nType);
    HRESULT _LoadDocument(std::string* pText);
    HRESULT _SetMinimunSize(const char* pszWindowName);
    HRESULT _CreateFonts();
    HRESULT _CreateControls(const char* pszWindowName, bool bFromResources);
    HRESULT _CreateControlRecursive(CNode* pNode, QWidget* pParent, bool bFromResources);
    HRESULT _LoadBitmap(const char* pszName, bool bFromResources, QPixmap* pbmp);
    HRESULT _LoadBitmapFromArchive(const char* pszName, QPixmap* pbmp);
    std::unique_ptr<CSkinItem> _ReadRecord(CNode* pNode) const;
    // Creates the control of the node's class with its record; null (and
    // no failure) for a class that creates nothing.
    QWidget* _CreateControl(CNode* pNode, std::unique_ptr<CSkinItem> item, QWidget* pParent, HRESULT* phr);
    void _AddControl(QWidget* pControl, std::unique_ptr<CSkinItem> item);
    template <typename Call> void _Broadcast(Call call);

    CXMLParser m_xml;
    // This window's element of m_xml, once the minimum size was read.
    CNode* m_pWindow = nullptr;
    CSkinArchive m_archive;
    bool m_bFromResources = true;
    std::vector<QPointer<QWidget>> m_controls;
    std::vector<std::unique_ptr<CSkinItem>> m_items;
    std::unique_ptr<CSkinItem> m_pRootItem;
    bool m_bPlaying = false;
    std::unordered_map<std::string, int> m_bitmapIds;
    QPixmap m_picture;
};
