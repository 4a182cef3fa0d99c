#pragma once
// Tells a database that is there but does not answer in time (a lock held too long, a server
// that stopped reading) from other failures: after such a failure the callers stop trying for
// the cycle instead of waiting the full time-out once more for every record.
#include <QSqlError>

bool IsStall(const QSqlError& error);
