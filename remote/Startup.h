#pragma once
// The control program's start-up on an existing application object: main window (with the
// argument check), about box, data module and debug log window, in this order, then the message
// loop. Returns the loop's result. Main thread only.

#include <QStringList>

int RunMorsenda(const QStringList& args);
