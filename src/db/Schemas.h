#pragma once
// The gateway's tables for each database kind: the scripts of sql/, built into the program (Qt
// resources under :/sql), cut into the statements a driver runs one at a time.
#include <QString>
#include <QStringList>

// The script's file name for a kind (SbType): "sqlite.sql", "mariadb.sql", "firebird.sql",
// "sqlserver.sql"; empty for the Access kinds and unknown ones.
QString SchemaFile(int sbType);

// The script's statements: comment lines dropped, cut at ";" and at "GO" lines, without the
// scripts' own "COMMIT" (each statement is committed as it runs). The tables Send and Receive
// take the names given, and so do the names made from theirs.
QStringList SchemaStatements(const QString& script, const QString& tableSend,
                             const QString& tableReceive);

// The built-in script of a file of sql/; empty when there is none.
QString BuiltInSchema(const QString& file);
