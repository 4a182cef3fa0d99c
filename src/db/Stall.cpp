#include "db/Stall.h"

namespace {

// What the drivers say, lower-case.
const char* const kStallTexts[] = {
    "database is locked",        // SQLite: another connection holds the write lock
    "database table is locked",  // SQLite
    "lock wait timeout",         // MariaDB: a row lock held longer than the server waits
    "lost connection",           // MariaDB: the read or write time-out expired
    "timed out",                 // time-outs in the words of the C client and FreeTDS
    "timeout expired",           // ODBC SQLSTATE HYT00
    "lock time-out",             // Firebird
    "lock conflict",             // Firebird
    "operation was cancelled",   // Firebird: the statement outlived its bound (StatementWatch)
    "max_statement_time exceeded",
};

}  // namespace

bool IsStall(const QSqlError& error) {
    const QString text = error.text();
    for (const char* stall : kStallTexts) {
        if (text.contains(QLatin1String(stall), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
