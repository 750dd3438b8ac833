// The "Skin" submenu of the player's context menu: the built-in skin, then
// every skin of the skin folders (SkinCatalog) by its name, the skin in use
// checked, then "Open Skin…". The folders are listed again each time the
// menu opens, so that skins added meanwhile show; an entry chosen stands for
// the skin listed when the menu opened. Lives on the user-interface thread,
// a child of the menu it is added to.
#pragma once

#include "skin/SkinCatalog.h"

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

// The commands of the menu: "Open Skin…", then the built-in skin and each
// listed skin in order, as many as the numbers allow.
constexpr int ID_SKIN_OPEN = 33150;
constexpr int ID_SKIN_FIRST = 33160;
constexpr int ID_SKIN_LAST = 33199;

class CSkinMenu : public QObject {
    Q_OBJECT

public:
    // Adds the submenu to `pMenu` before its entry `pBefore`; each entry
    // chosen calls `onCommand` with its command.
    CSkinMenu(QMenu* pMenu, QAction* pBefore, std::function<void(int)> onCommand);

    // The skin that command `nID` stands for into *pSkin (empty for the
    // built-in skin); false for a command that is not a listed skin.
    bool SkinOf(int nID, std::string* pSkin) const;
    // The skin in use, which the menu checks (empty for the built-in one).
    void SetCurrent(const std::string& skin) { m_current = skin; }
    QMenu* Menu() const { return m_pMenu; }

private:
    void _Fill();
    void _AddEntry(const QString& text, int nID, bool bChecked);

    QMenu* m_pMenu;
    std::function<void(int)> m_onCommand;
    std::vector<SkinEntry> m_skins;
    std::string m_current;
};
