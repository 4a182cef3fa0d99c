#include "db/ReportStatements.h"

#include "db/ConnectionString.h"

namespace {
// SQL Server reads 'yyyy-MM-dd hh:mm:ss' by its language's date order; the form with a "T" is
// read alike everywhere. The other engines take the form with a blank.
QString DateTimeLiteral(int sbType, const QDateTime& at) {
    const bool sqlServer = sbType == KindSqlServer || sbType == KindSqlServer2005;
    return QLatin1Char('\'') +
           at.toString(sqlServer ? QStringLiteral("yyyy-MM-ddTHH:mm:ss")
                                 : QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QLatin1Char('\'');
}
}  // namespace

Statement ReportColumnsProbeStatement(const QString& tableSend) {
    return StatementText()
        .sql(QStringLiteral("SELECT Reference, DeliveryStatus, DeliveredAt FROM ") + tableSend +
             QStringLiteral(" WHERE 1=0"))
        .done();
}

Statement WriteReferenceStatement(const QString& tableSend, const QString& msgId,
                                  const QString& references) {
    return StatementText()
        .sql(QStringLiteral("UPDATE ") + tableSend + QStringLiteral(" SET Reference="))
        .quoted(references)
        .sql(QStringLiteral(" WHERE ID=") + msgId)
        .done();
}

Statement OpenRowsWithReferenceStatement(const QString& tableSend, int mr) {
    // The list alone, first, last or inside: four plain comparisons every engine knows, where a
    // concatenation would need each engine's own operator.
    const QString n = QString::number(mr);
    return StatementText()
        .sql(QStringLiteral("SELECT ID, Number, Reference FROM ") + tableSend +
             QStringLiteral(" WHERE DeliveredAt IS NULL AND (Reference="))
        .quoted(n)
        .sql(QStringLiteral(" OR Reference LIKE "))
        .quoted(n + QStringLiteral(",%"))
        .sql(QStringLiteral(" OR Reference LIKE "))
        .quoted(QStringLiteral("%,") + n)
        .sql(QStringLiteral(" OR Reference LIKE "))
        .quoted(QStringLiteral("%,") + n + QStringLiteral(",%"))
        .sql(QStringLiteral(") ORDER BY ID DESC"))
        .done();
}

Statement WriteDeliveryStatement(int sbType, const QString& tableSend, const QString& msgId,
                                 std::optional<int> status, const QDateTime& at) {
    const QString null = QStringLiteral("NULL");
    return StatementText()
        .sql(QStringLiteral("UPDATE ") + tableSend + QStringLiteral(" SET DeliveryStatus=") +
             (status ? QString::number(*status) : null) + QStringLiteral(", DeliveredAt=") +
             (at.isValid() ? DateTimeLiteral(sbType, at) : null) + QStringLiteral(" WHERE ID=") +
             msgId)
        .done();
}
