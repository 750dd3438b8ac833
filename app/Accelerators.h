// The player window's accelerator table: every key that gives a command,
// in its stored order, installed on a window as shortcuts that hand the
// command number to the window's command handler.
#pragma once

#include <QKeySequence>
#include <functional>
#include <vector>

class QWidget;

struct Accelerator {
    QKeySequence key;
    int nCommand;
};

// Table 131 in its stored order.
const std::vector<Accelerator>& AcceleratorTable();

// Makes one window-wide shortcut per entry of the table on `pWindow`;
// each calls `onCommand` with its command number.
void InstallAccelerators(QWidget* pWindow, const std::function<void(int)>& onCommand);
