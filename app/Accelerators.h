// The player window's accelerator table: every key that gives a command, in
// its stored order, and the match of a key event against it. Keys are
// matched on the key event itself (key, modifiers, typed character), so
// that the numeric pad's keys work from a real keyboard: on X, Qt's
// shortcut map never offers a key with the keypad modifier.
#pragma once

#include <QKeyCombination>
#include <vector>

class QKeyEvent;

struct Accelerator {
    // The modifiers hold Qt::KeypadModifier for the numeric pad's keys.
    QKeyCombination key;
    int nCommand;
    // Matched on the typed character (the key's lower-case letter or
    // digit, from either keyboard part), not on the key.
    bool bCharacter = false;
};

// Table 131 in its stored order, then the keys added to it: the numeric
// pad's Enter, and the second keys of Inc Size and Dec Size (the X server's
// default keymaps take Ctrl+Alt with the numeric pad's plus and minus).
const std::vector<Accelerator>& AcceleratorTable();

// The command the table gives `event`, or 0 when it gives none.
int AcceleratorCommand(const QKeyEvent& event);
