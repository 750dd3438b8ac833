#include "Accelerators.h"

#include <QShortcut>
#include <QWidget>

namespace {

constexpr auto kPad = Qt::KeypadModifier;
constexpr auto kCtrlAltPad = Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier;

Accelerator Key(QKeyCombination combination, int nCommand)
{
    return {QKeySequence(combination), nCommand};
}

} // namespace

const std::vector<Accelerator>& AcceleratorTable()
{
    static const std::vector<Accelerator> table = {
        Key(Qt::Key_1, 32799),
        Key(Qt::Key_2, 32800),
        Key(Qt::Key_3, 32801),
        Key(Qt::Key_4, 32802),
        Key(Qt::Key_5, 32803),
        Key(Qt::Key_6, 32804),
        Key(Qt::Key_7, 32805),
        Key(Qt::ControlModifier | Qt::Key_O, 32771),
        Key(kCtrlAltPad | Qt::Key_Plus, 32817),
        Key(Qt::ControlModifier | Qt::Key_Backspace, 32774),
        Key(Qt::Key_Down, 32824),
        Key(Qt::ControlModifier | Qt::Key_F4, 32779),
        Key(Qt::AltModifier | Qt::Key_F4, 32812),
        Key(Qt::Key_Left, 32784),
        Key(Qt::ControlModifier | Qt::Key_Left, 32786),
        Key(Qt::ShiftModifier | Qt::Key_Left, 32788),
        Key(kCtrlAltPad | Qt::Key_1, 32823),
        Key(kCtrlAltPad | Qt::Key_2, 32816),
        Key(kCtrlAltPad | Qt::Key_3, 32822),
        Key(kCtrlAltPad | Qt::Key_4, 32813),
        Key(kCtrlAltPad | Qt::Key_5, 32819),
        Key(kCtrlAltPad | Qt::Key_6, 32814),
        Key(kCtrlAltPad | Qt::Key_7, 32820),
        Key(kCtrlAltPad | Qt::Key_8, 32815),
        Key(kCtrlAltPad | Qt::Key_9, 32821),
        Key(Qt::Key_Return, 32807),
        Key(Qt::ControlModifier | Qt::Key_Return, 32806),
        Key(Qt::Key_Right, 32785),
        Key(Qt::ControlModifier | Qt::Key_Right, 32787),
        Key(Qt::ShiftModifier | Qt::Key_Right, 32789),
        Key(Qt::Key_Space, 32778),
        Key(kCtrlAltPad | Qt::Key_Minus, 32818),
        Key(Qt::Key_Up, 32825),
        Key(Qt::Key_C, 32783),
        Key(Qt::Key_M, 32826),
        Key(Qt::Key_X, 32782),
        Key(Qt::Key_Z, 32780),
        // The Enter of the numeric pad gives the same commands as the main one.
        Key(kPad | Qt::Key_Enter, 32807),
        Key(Qt::ControlModifier | kPad | Qt::Key_Enter, 32806),
    };
    return table;
}

void InstallAccelerators(QWidget* pWindow, const std::function<void(int)>& onCommand)
{
    for (const Accelerator& accelerator : AcceleratorTable()) {
        auto* pShortcut = new QShortcut(accelerator.key, pWindow);
        pShortcut->setAutoRepeat(true);
        int nCommand = accelerator.nCommand;
        QObject::connect(pShortcut, &QShortcut::activated, pWindow, [onCommand, nCommand] { onCommand(nCommand); });
    }
}
