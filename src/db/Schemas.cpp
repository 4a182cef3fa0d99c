#include "db/Schemas.h"

#include <QFile>
#include <QRegularExpression>

#include "db/ConnectionString.h"

QString SchemaFile(int sbType) {
    switch (sbType) {
        case KindSQLite:
            return QStringLiteral("sqlite.sql");
        case KindMySql:
            return QStringLiteral("mariadb.sql");
        case KindFirebird:
            return QStringLiteral("firebird.sql");
        case KindSqlServer:
        case KindSqlServer2005:
            return QStringLiteral("sqlserver.sql");
        default:
            return QString();
    }
}

QStringList SchemaStatements(const QString& script, const QString& tableSend,
                             const QString& tableReceive) {
    // Index and constraint names follow their table's (Send_Status, DF_Send_Status): Firebird
    // and SQLite want them unique in the whole database.
    static const QRegularExpression send(QStringLiteral("(?<![A-Za-z0-9])Send(?![A-Za-z0-9])"));
    static const QRegularExpression receive(
        QStringLiteral("(?<![A-Za-z0-9])Receive(?![A-Za-z0-9])"));
    QString code;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("--")))
            continue;
        // SQL Server's batch separator ends a statement like a semicolon.
        code += trimmed.compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0
                    ? QStringLiteral(";\n")
                    : line + QLatin1Char('\n');
    }
    QStringList statements;
    for (QString statement : code.split(QLatin1Char(';'))) {
        statement = statement.trimmed();
        if (statement.isEmpty() ||
            statement.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0)
            continue;
        statement.replace(send, tableSend);
        statement.replace(receive, tableReceive);
        statements << statement;
    }
    return statements;
}

QString BuiltInSchema(const QString& file) {
    QFile f(QStringLiteral(":/sql/") + file);
    if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}
