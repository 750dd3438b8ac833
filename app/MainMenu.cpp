#include "MainMenu.h"

#include "CommandIds.h"

#include <QMenu>
#include <vector>

namespace {

// One line of the menu: an entry with its command, a separator (command 0,
// no text), or the start (command 0 with a text) or end (-1) of a submenu.
struct MenuLine {
    int nCommand;
    const char* pszText;
};

constexpr int kSubmenuEnd = -1;

const std::vector<MenuLine>& MainPopupLines()
{
    static const std::vector<MenuLine> lines = {
        {32771, "Open"},
        {32779, "Close"},
        {0, nullptr},
        {0, "Play"},
        {32778, "Play/Pause\tSpace"},
        {32774, "Stop\tCtrl+Space"},
        {0, nullptr},
        {32780, "Normal Speed\tZ"},
        {32782, "Slower\tX"},
        {32783, "Faster\tC"},
        {0, nullptr},
        {32784, "Before 10 Seconds\tLeft"},
        {32785, "After 10 Seconds\tRight"},
        {32786, "Before 60 Seconds\tCtrl+Left"},
        {32787, "After 60 Seconds\tCtrl+Right"},
        {32788, "Before 300 Seconds\tShift+Left"},
        {32789, "After 300 Seconds\tShift+Right"},
        {0, nullptr},
        {ID_PLAY_FROMSTART, "From the Beginning\tHome"},
        {ID_PLAY_RESUME, "Resume Where Left Off"},
        {kSubmenuEnd, nullptr},
        {0, "Sound"},
        {32825, "Volume Up\tUp"},
        {32824, "Volume Down\tDown"},
        {32826, "Mute\tM"},
        {kSubmenuEnd, nullptr},
        {0, "Screen Ratio"},
        {32791, "Normal\tCtrl+F5"},
        {32792, "Full\tCtrl+F6"},
        {0, nullptr},
        {32794, "4 : 3 (TV)\tCtrl+F7"},
        {32795, "16 : 9 (HDTV)\tCtrl+F8"},
        {32796, "1.85 : 1 (Screen)\tCtrl+F9"},
        {32797, "2.35 : 1 (Screen)\tCtrl+F10"},
        {0, nullptr},
        {32798, "User Define\tCtrl+F11"},
        {kSubmenuEnd, nullptr},
        {0, "Pan && Scan"},
        {32813, "Move Left\tCtrl+Alt+Numpad 4"},
        {32814, "Move Right\tCtrl+Alt+Numpad 6"},
        {32815, "Move Top\tCtrl+Alt+Numpad 8"},
        {32816, "Move Bottom\tCtrl+Alt|Numpad 2"},
        {0, nullptr},
        {32819, "Move Center\tCtrl+Alt+Numpad 5"},
        {32820, "Move Left Top\tCtrl+Alt+Numpad 7"},
        {32821, "Move Right Top\tCtrl+Alt+Numpad 9"},
        {32822, "Move Right Bottom\tCtrl+Alt+Numpad 3"},
        {32823, "Move Left Bottom\tCtrl+Alt+Numpad 1"},
        {0, nullptr},
        {32817, "Inc Size\tCtrl+Alt+Numpad +, Ctrl+Alt+="},
        {32818, "Dec Size\tCtrl+Alt+Numpad -, Ctrl+Alt+-"},
        {kSubmenuEnd, nullptr},
        {0, "Size"},
        {32799, "x 0.5\t1"},
        {32800, "x 1.0\t2"},
        {32801, "x 1.5\t3"},
        {32802, "x 2.0\t4"},
        {0, nullptr},
        {32803, "Fit Desktop\t5"},
        {32804, "Maxmize/Restore\t6"},
        {32805, "Fit Clip\t7"},
        {0, nullptr},
        {32807, "Full Screen\tEnter"},
        {32806, "Entire Screen\tCtrl+Enter"},
        {kSubmenuEnd, nullptr},
        {0, nullptr},
        {32812, "Exit\tAlt+F4"},
    };
    return lines;
}

} // namespace

QMenu* CreateMainPopupMenu(QWidget* pParent, const std::function<void(int)>& onCommand)
{
    auto* pMenu = new QMenu(pParent);
    QMenu* pCurrent = pMenu;
    for (const MenuLine& line : MainPopupLines()) {
        if (line.nCommand == kSubmenuEnd) {
            pCurrent = pMenu;
        } else if (line.nCommand == 0 && line.pszText == nullptr) {
            pCurrent->addSeparator();
        } else if (line.nCommand == 0) {
            pCurrent = pMenu->addMenu(QString::fromLatin1(line.pszText));
        } else {
            const int nCommand = line.nCommand;
            QAction* pAction = pCurrent->addAction(QString::fromLatin1(line.pszText), pParent,
                                                   [onCommand, nCommand] { onCommand(nCommand); });
            pAction->setData(nCommand);
        }
    }
    return pMenu;
}

QAction* FindMenuCommand(const QMenu* pMenu, int nCommand)
{
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->menu() != nullptr) {
            if (QAction* pFound = FindMenuCommand(pAction->menu(), nCommand))
                return pFound;
        } else if (pAction->data() == QVariant(nCommand)) {
            return pAction;
        }
    }
    return nullptr;
}
