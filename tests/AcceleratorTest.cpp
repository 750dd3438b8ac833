// The match of key events against the accelerator table, with key events as
// the X platform makes them: the numeric pad's keys carry the keypad
// modifier, Num Lock off turns its digits into movement keys, and the
// character keys are known by what they type.
#include "app/Accelerators.h"
#include "app/CommandIds.h"

#include <QKeyEvent>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr auto kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;
constexpr auto kCtrlAltPad = Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier;

int Command(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {},
            quint32 nKeysym = 0)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, 0, nKeysym, 0, text);
    return AcceleratorCommand(event);
}

// What a key of the table types: a character entry its lower-case
// character, a key with Ctrl or Alt nothing printable.
QString TextOf(const Accelerator& entry)
{
    return entry.bCharacter ? QString(QChar(entry.key.key())).toLower() : QString();
}

TEST(Accelerators, EveryEntryGivesItsOwnCommand)
{
    std::set<std::pair<int, bool>> seen;
    for (const Accelerator& entry : AcceleratorTable()) {
        EXPECT_TRUE(seen.insert({entry.key.toCombined(), entry.bCharacter}).second)
            << "two entries for " << entry.key.toCombined();
        EXPECT_EQ(Command(entry.key.key(), entry.key.keyboardModifiers(), TextOf(entry)), entry.nCommand)
            << entry.key.toCombined();
    }
    EXPECT_EQ(seen.size(), 49u);
}

// Num Lock off: the pad's 1 to 9 come as End, Down, Page Down, Left, Clear,
// Right, Home, Up, Page Up, still with the keypad modifier.
TEST(Accelerators, ThePadMovesHoldWithNumLockOff)
{
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_End, ID_SCAN_MOVELEFTBOTTOM}, {Qt::Key_Down, ID_SCAN_MOVEDOWN},
        {Qt::Key_PageDown, ID_SCAN_MOVERIGHTBOTTOM}, {Qt::Key_Left, ID_SCAN_MOVELEFT},
        {Qt::Key_Clear, ID_SCAN_MOVECENTER}, {Qt::Key_Right, ID_SCAN_MOVERIGHT},
        {Qt::Key_Home, ID_SCAN_MOVELEFTTOP}, {Qt::Key_Up, ID_SCAN_MOVEUP},
        {Qt::Key_PageUp, ID_SCAN_MOVERIGHTTOP}};
    for (const auto& [key, nCommand] : keys)
        EXPECT_EQ(Command(key, kCtrlAltPad), nCommand) << key;
    // Without Ctrl+Alt the pad's movement keys are the plain ones.
    EXPECT_EQ(Command(Qt::Key_Left, Qt::KeypadModifier), ID_PLAY_BACK10);
    EXPECT_EQ(Command(Qt::Key_Home, Qt::KeypadModifier), ID_PLAY_FROMSTART);
    EXPECT_EQ(Command(Qt::Key_Up, Qt::KeypadModifier), ID_VOLUMN_UP);
    EXPECT_EQ(Command(Qt::Key_Right, Qt::ControlModifier | Qt::KeypadModifier), ID_PLAY_FORWARD60);
}

// The pad's moves need the pad: Ctrl+Alt with the main keyboard's digits
// or arrows give nothing, and the pad's digits without Ctrl+Alt type a
// digit, which is a scale key.
TEST(Accelerators, ThePadAndTheMainKeyboardStayApart)
{
    EXPECT_EQ(Command(Qt::Key_5, kCtrlAlt), 0);
    EXPECT_EQ(Command(Qt::Key_Left, kCtrlAlt), 0);
    EXPECT_EQ(Command(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier), 0);
    EXPECT_EQ(Command(Qt::Key_1, Qt::KeypadModifier, QStringLiteral("1")), ID_SCALE_0DOT5);
    EXPECT_EQ(Command(Qt::Key_Enter, Qt::KeypadModifier), ID_SCALE_ENTIRESCREEN);
    EXPECT_EQ(Command(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier), ID_SCALE_FULLSCREEN);
}

// Character keys go by what they type: "c" but not "C", and not with Ctrl
// or Alt (which type nothing printable).
TEST(Accelerators, CharacterKeysGoByWhatTheyType)
{
    EXPECT_EQ(Command(Qt::Key_C, Qt::NoModifier, QStringLiteral("c")), ID_PLAY_FASTER);
    EXPECT_EQ(Command(Qt::Key_C, Qt::ShiftModifier, QStringLiteral("C")), 0);
    EXPECT_EQ(Command(Qt::Key_M, Qt::ControlModifier, QStringLiteral("\x0d")), 0);
    EXPECT_EQ(Command(Qt::Key_Z, Qt::AltModifier, QStringLiteral("z")), 0);
    EXPECT_EQ(Command(Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!")), 0);
}

// Inc Size and Dec Size from the main keyboard, and from the video-mode
// keysyms of a keymap that lets Ctrl+Alt with the pad's plus and minus
// through under those names.
TEST(Accelerators, SizeKeysHaveASecondKeyThatArrives)
{
    EXPECT_EQ(Command(Qt::Key_Equal, kCtrlAlt), ID_SCAN_INCSIZE);
    EXPECT_EQ(Command(Qt::Key_Plus, kCtrlAlt | Qt::ShiftModifier), ID_SCAN_INCSIZE);
    EXPECT_EQ(Command(Qt::Key_Minus, kCtrlAlt), ID_SCAN_DECSIZE);
    EXPECT_EQ(Command(Qt::Key_Plus, kCtrlAltPad), ID_SCAN_INCSIZE);
    EXPECT_EQ(Command(Qt::Key_unknown, kCtrlAlt, {}, 0x1008FE22), ID_SCAN_INCSIZE);
    EXPECT_EQ(Command(Qt::Key_unknown, kCtrlAlt, {}, 0x1008FE23), ID_SCAN_DECSIZE);
    EXPECT_EQ(Command(Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-")), 0);
}

} // namespace
