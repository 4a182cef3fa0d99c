#pragma once
// The layer beneath the connection strings: which Qt SQL driver serves a string on this platform
// and with what settings. The string itself stays as built (the log shows it); only the driver
// sees what is derived here.
//
//   "Driver=SQLite3;Database=D;"             QSQLITE, D relative to the settings file's folder;
//                                            an existing file only (pelorus --init-db makes one)
//   "Driver=Firebird/InterBase(r) driver;…"  QIBASE (Debian has no Firebird ODBC driver),
//                                            DbName a path, host:path or alias
//   "Driver={Microsoft Access Driver…}"      none: Access has no driver here
//   any other "Driver=…"                      QODBC through unixODBC, the string handed over
//                                            without its trailing ";" (MariaDB's ODBC driver
//                                            refuses one); driver names are registered by
//                                            scripts/register-odbc-drivers.sh; MariaDB's driver
//                                            gets its time-outs in the string, FreeTDS a port and
//                                            a protocol version
//   "Provider=MySQLProv"                      QMYSQL, database Data Source on localhost
//   "Provider=sqloledb", "Provider=SQLNCLI"   QODBC with FreeTDS under "SQL Server"
//   "Provider=Microsoft.Jet…/ACE…"            none: Access has no driver here
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <utility>

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
    // SQLite only: the driver may create a missing file (pelorus --init-db alone asks for it).
    bool createFile = false;

    bool usable() const { return !driver.isEmpty(); }
};

// Seconds a connection attempt and a statement may take, where the driver lets us say so.
constexpr int kConnectTimeoutSecs = 10;
constexpr int kStatementTimeoutSecs = 15;

// The TDS protocol FreeTDS speaks: 7.2 is understood by SQL Server 2005 and every later server.
inline constexpr const char* kTdsVersion = "7.2";
inline constexpr int kSqlServerDefaultPort = 1433;

// "Key=Value;" pairs in their order; a value in braces loses them ("{SQL Server}").
QList<std::pair<QString, QString>> ConnectionStringPairs(const QString& connectionString);
// The same with lower-case keys, the first of each.
QMap<QString, QString> ConnectionStringFields(const QString& connectionString);

// Where a SQL Server listens: "host,port" or "host:port" as written, else port 1433; a named
// instance ("host\SQLEXPRESS") gets port 0, for FreeTDS to ask the server for it.
struct SqlServerAddress {
    QString host;
    int port = 0;
};
SqlServerAddress SplitSqlServerAddress(const QString& server);

// baseFolder: the settings file's folder, against which a relative SQLite path resolves.
DriverTarget TargetForConnectionString(const QString& connectionString, const QString& baseFolder);

// The SQLite URI of a file, opened read/write and created only when create is set.
QString SqliteUri(const QString& file, bool create);

// Adds (closed) a connection named connectionName set up for the target; the driver must be
// available (QSqlDatabase::isDriverAvailable).
QSqlDatabase AddTargetConnection(const DriverTarget& target, const QString& connectionName);
