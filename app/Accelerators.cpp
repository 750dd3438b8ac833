#include "Accelerators.h"

#include "CommandIds.h"

#include <QKeyEvent>

namespace {

constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;
constexpr auto kCtrlAltPad = Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier;
constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;

// The keysyms an X server's keymap gives Ctrl+Alt with the numeric pad's
// plus and minus (video-mode switching), should they reach the window.
constexpr quint32 kXF86NextVMode = 0x1008FE22;
constexpr quint32 kXF86PrevVMode = 0x1008FE23;

Accelerator Key(QKeyCombination combination, int nCommand)
{
    return {combination, nCommand, false};
}

Accelerator Character(Qt::Key key, int nCommand)
{
    return {QKeyCombination(key), nCommand, true};
}

// The digit of a numeric-pad key as Num Lock off gives it (4 is Left, 5
// Clear, ...), so that the pad's commands hold either way; any other key
// as it is.
Qt::Key PadDigit(Qt::Key key)
{
    switch (key) {
    case Qt::Key_Insert:
        return Qt::Key_0;
    case Qt::Key_End:
        return Qt::Key_1;
    case Qt::Key_Down:
        return Qt::Key_2;
    case Qt::Key_PageDown:
        return Qt::Key_3;
    case Qt::Key_Left:
        return Qt::Key_4;
    case Qt::Key_Clear:
        return Qt::Key_5;
    case Qt::Key_Right:
        return Qt::Key_6;
    case Qt::Key_Home:
        return Qt::Key_7;
    case Qt::Key_Up:
        return Qt::Key_8;
    case Qt::Key_PageUp:
        return Qt::Key_9;
    default:
        return key;
    }
}

// The character an entry of the table types: its digit, or its letter in
// lower case.
QString TypedCharacter(Qt::Key key)
{
    return QString(QChar(key)).toLower();
}

bool Matches(const Accelerator& entry, const QKeyEvent& event, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (entry.bCharacter)
        return !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
               event.text() == TypedCharacter(entry.key.key());
    const bool bPadEntry = entry.key.keyboardModifiers().testFlag(Qt::KeypadModifier);
    if (bPadEntry && !event.modifiers().testFlag(Qt::KeypadModifier))
        return false;
    return (bPadEntry ? PadDigit(key) : key) == entry.key.key() &&
           modifiers == (entry.key.keyboardModifiers() & kCommandModifiers);
}

} // namespace

const std::vector<Accelerator>& AcceleratorTable()
{
    static const std::vector<Accelerator> table = {
        Character(Qt::Key_1, ID_SCALE_0DOT5),
        Character(Qt::Key_2, ID_SCALE_1DOT0),
        Character(Qt::Key_3, ID_SCALE_1DOT5),
        Character(Qt::Key_4, ID_SCALE_2DOT0),
        Character(Qt::Key_5, ID_SCALE_SCREEN),
        Character(Qt::Key_6, ID_SCALE_MAXIMIZE),
        Character(Qt::Key_7, ID_SCALE_IMAGE),
        Key(kCtrl | Qt::Key_O, ID_FILE_OPEN),
        Key(kCtrlAltPad | Qt::Key_Plus, ID_SCAN_INCSIZE),
        Key(kCtrl | Qt::Key_Backspace, ID_PLAY_STOP),
        Key(Qt::Key_Down, ID_VOLUMN_DOWN),
        Key(kCtrl | Qt::Key_F4, ID_FILE_CLOSE),
        Key(Qt::AltModifier | Qt::Key_F4, ID_APP_EXIT),
        Key(Qt::Key_Left, ID_PLAY_BACK10),
        Key(kCtrl | Qt::Key_Left, ID_PLAY_BACK60),
        Key(Qt::ShiftModifier | Qt::Key_Left, ID_PLAY_BACK300),
        Key(kCtrlAltPad | Qt::Key_1, ID_SCAN_MOVELEFTBOTTOM),
        Key(kCtrlAltPad | Qt::Key_2, ID_SCAN_MOVEDOWN),
        Key(kCtrlAltPad | Qt::Key_3, ID_SCAN_MOVERIGHTBOTTOM),
        Key(kCtrlAltPad | Qt::Key_4, ID_SCAN_MOVELEFT),
        Key(kCtrlAltPad | Qt::Key_5, ID_SCAN_MOVECENTER),
        Key(kCtrlAltPad | Qt::Key_6, ID_SCAN_MOVERIGHT),
        Key(kCtrlAltPad | Qt::Key_7, ID_SCAN_MOVELEFTTOP),
        Key(kCtrlAltPad | Qt::Key_8, ID_SCAN_MOVEUP),
        Key(kCtrlAltPad | Qt::Key_9, ID_SCAN_MOVERIGHTTOP),
        Key(Qt::Key_Return, ID_SCALE_ENTIRESCREEN),
        Key(kCtrl | Qt::Key_Return, ID_SCALE_FULLSCREEN),
        Key(Qt::Key_Right, ID_PLAY_FORWARD10),
        Key(kCtrl | Qt::Key_Right, ID_PLAY_FORWARD60),
        Key(Qt::ShiftModifier | Qt::Key_Right, ID_PLAY_FORWARD300),
        Key(Qt::Key_Space, ID_PLAY_PLAY),
        Key(kCtrlAltPad | Qt::Key_Minus, ID_SCAN_DECSIZE),
        Key(Qt::Key_Up, ID_VOLUMN_UP),
        Character(Qt::Key_C, ID_PLAY_FASTER),
        Character(Qt::Key_M, ID_VOLUMN_NONE),
        Character(Qt::Key_X, ID_PLAY_SLOWER),
        Character(Qt::Key_Z, ID_PLAY_NORMALSPEED),
        // The Enter of the numeric pad gives the same commands as the main one.
        Key(Qt::KeypadModifier | Qt::Key_Enter, ID_SCALE_ENTIRESCREEN),
        Key(kCtrl | Qt::KeypadModifier | Qt::Key_Enter, ID_SCALE_FULLSCREEN),
        // Inc Size and Dec Size from the main keyboard: = or + (wherever the
        // layout has it) and -.
        Key(kCtrlAlt | Qt::Key_Equal, ID_SCAN_INCSIZE),
        Key(kCtrlAlt | Qt::Key_Plus, ID_SCAN_INCSIZE),
        Key(kCtrlAlt | Qt::ShiftModifier | Qt::Key_Plus, ID_SCAN_INCSIZE),
        Key(kCtrlAlt | Qt::Key_Minus, ID_SCAN_DECSIZE),
        // The open file from its beginning (it may have resumed part-way).
        Key(Qt::Key_Home, ID_PLAY_FROMSTART),
        // Subtitles and sound streams.
        Character(Qt::Key_V, ID_SUBTITLE_TOGGLE),
        Character(Qt::Key_J, ID_SUBTITLE_NEXT),
        Key(Qt::ShiftModifier | Qt::Key_A, ID_AUDIO_NEXT),
        Character(Qt::Key_BracketLeft, ID_SUBTITLE_EARLIER),
        Character(Qt::Key_BracketRight, ID_SUBTITLE_LATER),
    };
    return table;
}

int AcceleratorCommand(const QKeyEvent& event)
{
    if (event.nativeVirtualKey() == kXF86NextVMode)
        return ID_SCAN_INCSIZE;
    if (event.nativeVirtualKey() == kXF86PrevVMode)
        return ID_SCAN_DECSIZE;
    const auto key = static_cast<Qt::Key>(event.key());
    const Qt::KeyboardModifiers modifiers = event.modifiers() & kCommandModifiers;
    for (const Accelerator& entry : AcceleratorTable()) {
        if (Matches(entry, event, key, modifiers))
            return entry.nCommand;
    }
    return 0;
}
