#pragma once
// The connection string of every database kind: a pure function of the database settings.
#include <QString>
#include <optional>

// Server section values SbType.
enum DbKind {
    KindAccess = 0,
    KindAccess2007 = 1,
    KindSqlServer = 2,
    KindSqlServer2005 = 3,
    KindMySql = 4,
    KindFirebird = 5,
    KindSQLite = 6,  // the embedded default
};

// The Server section values a connection is built from.
struct DbSettings {
    int sbType = KindAccess;
    int driver = 0;     // 0 ODBC, anything else OLE DB
    int access = 0;     // 0 Standard Security, anything else Trusted connection
    int mySqlOdbc = 0;  // MySQL ODBC variant 0 to 3
    QString server;
    QString database;
    QString user;
    QString password;
};

// The string for the settings; no value for a combination that has none (MySQL ODBC variant
// outside 0 to 3, Firebird with Trusted connection or OLE DB, an unknown kind).
std::optional<QString> ConnectionString(const DbSettings& settings);

// The same string as the log shows it: a non-empty password appears as "***".
std::optional<QString> LoggedConnectionString(const DbSettings& settings);

// The Server section of the settings file (INIFileName), with the defaults Connect passes.
DbSettings ReadDbSettings();
