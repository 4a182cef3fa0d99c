#pragma once
// Firebird 3 lets a statement wait for a row lock as long as the other transaction lasts, and
// Qt's driver has no lock time-out to set: a watch cancels the statement running on a Firebird
// connection once it has taken longer than the bound. Other drivers bound their own statements.
#include <QSqlDatabase>
#include <condition_variable>
#include <mutex>
#include <thread>

class StatementWatch {
public:
    // Watches from now until destruction; does nothing for a connection that is no Firebird one.
    StatementWatch(const QSqlDatabase& db, int seconds);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;
};
