// What the player needs of the window system: the numbers of its private
// window messages and of its resources, kept as the lookup keys that menus,
// tests and the skin use, and the few calls that reach outside the process.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QRect>
#include <cstdint>

class QWidget;

using WindowHandle = uint32_t;

constexpr unsigned WM_USER = 0x400;
// The graph has events waiting; the screen window passes it on to the player window.
constexpr unsigned WM_PLAYER_GRAPHEVENT = WM_USER + 50;
// A later instance asks the running one to play the file in the shared record.
constexpr unsigned WM_PLAYER_OPENFORWARDED = WM_USER + 51;
// A later instance asks whether the window in the shared record is alive (answer 1).
constexpr unsigned WM_PLAYER_QUERYINSTANCE = WM_USER + 52;
// A bitmap slider's knob is being dragged (wParam control id, lParam position).
constexpr unsigned WM_SLIDER_MOVING = WM_USER + 9425;
// A bitmap slider's knob was released.
constexpr unsigned WM_SLIDER_MOVED = WM_USER + 9426;

// Resource numbers: dialogs, menu, accelerators, icon, the skin document and
// the logo animation. Each is delivered by resources/ under the same number.
constexpr int IDD_KORVOPLAYER_DIALOG = 102;
constexpr int IDD_PLAYLIST_DIALOG = 165;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_MAIN_POPUP = 129;
constexpr int IDR_ACCELERATOR = 131;
constexpr int IDR_SKIN_XML = 157;
constexpr int IDR_LOGO_GIF = 208;

// The bytes of resource `nID` of type `pszType` ("GIF", "XML"), compiled
// into the program under ":/TYPE/NUMBER"; false when there is none.
bool LoadResourceData(unsigned nID, const char* pszType, QByteArray& data);

// Icon resource `nID` (type "ICON") at the sizes of window icons, 16 to 128
// pixels; a null icon when there is none.
QIcon LoadResourceIcon(unsigned nID);

// Moves and sizes the top-level window `pWindow` to `rc`. Qt sends no
// request for the rectangle it believes the native window already has, and
// just after the window manager placed a new window that belief can lag
// behind the widget's own (the window sat where it was placed, Qt thought
// it at the origin, and a move to the origin was lost). The native window
// is told where the widget is first, then moved.
void PlaceTopLevelWindow(QWidget* pWindow, const QRect& rc);

// Raises the top-level window `hWnd` of another process of this display
// above the other windows and asks the window manager to activate it.
void BringWindowToTop(WindowHandle hWnd);
