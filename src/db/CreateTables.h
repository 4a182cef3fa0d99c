#pragma once
// pelorus --init-db: the gateway's two tables made in the database the settings name, from the
// built-in script of its kind. A SQLite file is created when missing; other engines need the
// database to exist. Nothing is made when either table is there already.
#include <QString>

struct CreateTablesOutcome {
    bool created = false;
    QString message;  // what was done, or why nothing was
};

// The database of the settings file (INIFileName); the tables as the settings name them.
CreateTablesOutcome CreateTables(const QString& tableSend, const QString& tableReceive);
