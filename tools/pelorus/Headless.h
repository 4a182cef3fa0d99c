#pragma once
#include <QStringList>

// pelorus --headless [--config FILE] [--cycles N] [--adopt-smsc] [--pause-percent P]
// Runs the gateway with no window until SIGTERM/SIGINT (or N cycles); returns the exit status.
int RunHeadless(const QStringList& arguments);
