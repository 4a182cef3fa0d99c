#pragma once
// What the database tests share: a settings file of their own, programs run to completion, the
// ODBC driver names registered in a folder of the test's own, a fresh database with the gateway's
// tables on each engine the tests run against, and the gateway object driven on it.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "db/AdoClass.h"
#include "files/AlarmLamps.h"
#include "files/Clock.h"
#include "settings/Ini.h"

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dbtest {

// Runs a program to its end (at most 60 s). Returns the exit code (-1 when it could not run);
// standard output and error in *output.
int RunProgram(const QString& program, const QStringList& arguments, QString* output = nullptr);

// Registers the gateway's ODBC driver names (scripts/register-odbc-drivers.sh) in a folder of
// this process and points unixODBC at it (ODBCSYSINI). Returns the folder, empty on failure.
QString RegisterOdbcDrivers();

// A settings file in a folder of its own, made INIFileName for the test's lifetime.
class TestSettings {
public:
    TestSettings() { INIFileName = path(); }
    ~TestSettings() { INIFileName = saved_; }
    void set(const QString& section, const QString& key, const QString& value) {
        WriteINI(path(), section, key, value);
    }
    // Keys and values of the Server section, in turn.
    void server(const QStringList& keysAndValues) {
        for (int i = 0; i + 1 < keysAndValues.size(); i += 2)
            set(QStringLiteral("Server"), keysAndValues[i], keysAndValues[i + 1]);
    }
    QString folder() const { return dir_.path(); }
    QString path() const { return dir_.filePath(QStringLiteral("Pelorus.ini")); }

private:
    QTemporaryDir dir_;
    QString saved_ = INIFileName;
};

// The four ODBC variants follow each other.
enum class Engine {
    SQLite,
    MariaDbOleDb,
    MariaDbOdbc0,
    MariaDbOdbc1,
    MariaDbOdbc2,
    MariaDbOdbc3,
    Firebird
};
// Names the engine in test listings and failure messages.
void PrintTo(Engine engine, std::ostream* os);

// A fresh database with the tables of sql/, named with the settings of the engine's kind.
class EngineDatabase {
public:
    explicit EngineDatabase(Engine engine) : engine_(engine) {}
    ~EngineDatabase();
    // Creates the database and writes the Server section; false with *error on failure.
    bool create(TestSettings& settings, QString* error);
    // Changes the settings (or the client environment) so that the database cannot be reached.
    void makeUnreachable(TestSettings& settings);
    // A connection of the test's own to the same database, opened.
    QSqlDatabase verifier();
    // MariaDB: the tests share the server (flock); the one that stops it waits to hold it alone.
    void holdServerAlone() { flock(serverLock_.handle(), LOCK_EX); }

private:
    Engine engine_;
    QString name_;  // database name or file
    QString verifierName_;
    QFile serverLock_;
};

// A fresh database on one engine and the gateway object on it (tables Send and Receive), with
// its lamps, a fixed clock and every line it logs.
class GatewayFixture : public ::testing::Test {
protected:
    // Skips the test where the engine cannot run here.
    void Open(Engine engine);
    std::unique_ptr<AdoClass> MakeAdo();
    std::string LogText() const { return log.join(QLatin1Char('\n')).toStdString(); }
    // The verifier's answer to a statement that must succeed; Column: its first column.
    QSqlQuery Query(const QString& sql);
    QStringList Column(const QString& sql);

    TestSettings settings;
    std::unique_ptr<EngineDatabase> database;
    AlarmLamps lamps;
    FixedClock clock{QDateTime(QDate(2010, 11, 5), QTime(23, 59, 59))};
    QStringList log;
    std::unique_ptr<AdoClass> ado;
};

}  // namespace dbtest
