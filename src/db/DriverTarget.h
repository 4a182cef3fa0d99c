#pragma once
// The layer beneath the connection strings: which Qt SQL driver serves a string on this platform
// and with what settings. The string itself stays as built (the log shows it); only the driver
// sees what is derived here.
//
//   "Driver=SQLite3;Database=D;"             QSQLITE, D relative to the settings file's folder
//   "Driver=Firebird/InterBase(r) driver;…"  QIBASE (Debian has no Firebird ODBC driver),
//                                            DbName a path, host:path or alias
//   "Driver={Microsoft Access Driver…}"      none: Access has no driver here
//   any other "Driver=…"                      QODBC through unixODBC, the string handed over
//                                            without its trailing ";" (MariaDB's ODBC driver
//                                            refuses one); driver names are registered by
//                                            scripts/register-odbc-drivers.sh
//   "Provider=MySQLProv"                      QMYSQL, database Data Source on localhost
//   "Provider=sqloledb", "Provider=SQLNCLI"   QODBC with FreeTDS under "SQL Server"
//   "Provider=Microsoft.Jet…/ACE…"            none: Access has no driver here
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct DriverTarget {
    QString driver;  // Qt SQL driver name; empty when none serves the string
    QString databaseName;
    QString hostName;
    QString userName;
    QString password;
    QString connectOptions;
    QString error;  // why no driver serves the string

    // How values reach the statement. Qt's ODBC driver hands a bound text over with its
    // terminating NUL counted in the length, and the MariaDB driver stores that NUL; ODBC
    // statements therefore get their values as literals.
    enum class Values { Bound, StandardLiterals, UnicodeLiterals };
    Values values = Values::Bound;
    // Run once after the connection opens.
    QStringList initStatements;

    bool usable() const { return !driver.isEmpty(); }
};

// Seconds a connection attempt and a statement may take, where the driver lets us say so.
constexpr int kConnectTimeoutSecs = 10;
constexpr int kStatementTimeoutSecs = 15;

// "Key=Value;" pairs with lower-case keys; a value in braces loses them ("{SQL Server}").
QMap<QString, QString> ConnectionStringFields(const QString& connectionString);

// baseFolder: the settings file's folder, against which a relative SQLite path resolves.
DriverTarget TargetForConnectionString(const QString& connectionString, const QString& baseFolder);

// Adds (closed) a connection named connectionName set up for the target; the driver must be
// available (QSqlDatabase::isDriverAvailable).
QSqlDatabase AddTargetConnection(const DriverTarget& target, const QString& connectionName);
