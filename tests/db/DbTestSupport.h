#pragma once
// What the database tests share: a settings file of their own, programs run to completion, the
// ODBC driver names registered in a folder of the test's own, and a fresh database with the
// gateway's tables on each engine the tests run against.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace dbtest {

// Runs a program to its end (at most 60 s), its standard input read from stdinFile when given.
// Returns the exit code (-1 when it could not run); standard output and error in *output.
int RunProgram(const QString& program, const QStringList& arguments,
               const QString& stdinFile = QString(), QString* output = nullptr);

// Registers the gateway's ODBC driver names (scripts/register-odbc-drivers.sh) in a folder of
// this process and points unixODBC at it (ODBCSYSINI). Returns the folder, empty on failure.
QString RegisterOdbcDrivers();

// A settings file in a folder of its own, made INIFileName for the test's lifetime.
class TestSettings {
public:
    TestSettings();
    ~TestSettings();
    void set(const QString& section, const QString& key, const QString& value);
    void server(const QString& key, const QString& value) {
        set(QStringLiteral("Server"), key, value);
    }
    QString folder() const { return dir_.path(); }
    QString path() const;

private:
    QTemporaryDir dir_;
    QString savedIniFileName_;
};

enum class Engine {
    SQLite,
    MariaDbOleDb,
    MariaDbOdbc0,
    MariaDbOdbc1,
    MariaDbOdbc2,
    MariaDbOdbc3,
    Firebird
};

// Why the engine cannot run here (its environment variable is missing), empty when it can.
QString SkipReason(Engine engine);

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

private:
    Engine engine_;
    QString name_;  // database name or file
    QString verifierName_;
};

}  // namespace dbtest
