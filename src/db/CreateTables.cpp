#include "db/CreateTables.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "db/ConnectionString.h"
#include "db/DriverTarget.h"
#include "db/Schemas.h"
#include "settings/Ini.h"

namespace {

CreateTablesOutcome Refused(const QString& why) {
    return {false, why};
}

CreateTablesOutcome CreateIn(QSqlDatabase& db, int sbType, const QString& tableSend,
                             const QString& tableReceive) {
    if (!db.open())
        return Refused(QStringLiteral("Cannot open the database: ") + db.lastError().text());
    // Asked of the table itself: some ODBC driver options break the driver's table list.
    for (const QString& table : {tableSend, tableReceive}) {
        QSqlQuery probe(db);
        if (probe.exec(QStringLiteral("SELECT 1 FROM %1 WHERE 1=0").arg(table)))
            return Refused(
                QStringLiteral("The table %1 exists already; nothing was changed").arg(table));
    }
    const QString file = SchemaFile(sbType);
    for (const QString& statement :
         SchemaStatements(BuiltInSchema(file), tableSend, tableReceive)) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            return Refused(QStringLiteral("The statement failed: ") + query.lastError().text() +
                           QStringLiteral("\n") + statement);
    }
    return {
        true,
        QStringLiteral("Created the tables %1 and %2 (sql/%3)").arg(tableSend, tableReceive, file)};
}

}  // namespace

CreateTablesOutcome CreateTables(const QString& tableSend, const QString& tableReceive) {
    const DbSettings settings = ReadDbSettings();
    if (BuiltInSchema(SchemaFile(settings.sbType)).isEmpty())
        return Refused(QStringLiteral("No table script for SbType %1").arg(settings.sbType));
    DriverTarget target = TargetForConnectionString(ConnectionString(settings).value_or(QString()),
                                                    QFileInfo(INIFileName).absolutePath());
    if (!target.usable())
        return Refused(target.error);
    if (!QSqlDatabase::isDriverAvailable(target.driver))
        return Refused(QStringLiteral("The Qt SQL driver %1 is not installed").arg(target.driver));
    target.createFile = true;
    const QString name = QStringLiteral("pelorus-init-db");
    CreateTablesOutcome outcome;
    {
        QSqlDatabase db = AddTargetConnection(target, name);
        outcome = CreateIn(db, settings.sbType, tableSend, tableReceive);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}
