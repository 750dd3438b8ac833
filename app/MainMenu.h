// The player's context menu "MAIN POPUP" (menu 129): its entries, their
// texts (the part after the tab shows as the entry's shortcut, "&&" as one
// "&") and their command numbers, grouped into the submenus "Play",
// "Sound", "Screen Ratio", "Pan && Scan" and "Size".
#pragma once

#include <functional>

class QAction;
class QMenu;
class QWidget;

// Builds the menu as a child of `pParent`; every entry hands its command
// number to `onCommand`.
QMenu* CreateMainPopupMenu(QWidget* pParent, const std::function<void(int)>& onCommand);
// The entry of command nCommand, in any submenu; null when there is none.
QAction* FindMenuCommand(const QMenu* pMenu, int nCommand);
