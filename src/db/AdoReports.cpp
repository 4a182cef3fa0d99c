// The database side of paired delivery reports: the send table's three columns, written and
// searched with the statements of ReportStatements.h.
#include <QSqlDatabase>
#include <QSqlQuery>

#include "db/AdoClass.h"
#include "db/DriverTarget.h"
#include "db/ReportStatements.h"
#include "db/StatementWatch.h"
#include "files/LogTexts.h"
#include "settings/Settings.h"

namespace {
const QString kProcedureWriteReference = QStringLiteral("; Procedure: WriteReference;");
const QString kProcedureFindReported = QStringLiteral("; Procedure: FindReportedRow;");
const QString kProcedureWriteDelivery = QStringLiteral("; Procedure: WriteDelivery;");

bool IsWholeNumber(const QString& text) {
    bool number = false;
    text.toLongLong(&number);
    return number;
}
}  // namespace

std::optional<bool> AdoClass::HasReportColumns() {
    if (!EnsureOpen())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    const StatementWatch watch(QSqlDatabase::database(connectionName_, false),
                               kStatementTimeoutSecs);
    return query.exec(ReportColumnsProbeStatement(tableSend_).sql);
}

bool AdoClass::RunOnRow(const Statement& statement, const QString& msgId,
                        const QString& procedure) {
    if (IsWholeNumber(msgId))
        return Run(statement, procedure, LogTexts::kAdoQueryPrefix);
    if (EnsureOpen())
        Fail(QSqlError(QString(), QStringLiteral("MsgID is not a number"),
                       QSqlError::StatementError),
             procedure, LogTexts::kAdoQueryPrefix + statement.shown);
    return false;
}

bool AdoClass::WriteReference(const QString& msgId, const QString& references) {
    return RunOnRow(WriteReferenceStatement(tableSend_, msgId, references), msgId,
                    kProcedureWriteReference);
}

bool AdoClass::WriteDelivery(const QString& msgId, std::optional<int> status, const QDateTime& at) {
    return RunOnRow(
        WriteDeliveryStatement(SettingNumber(Setting::ServerSbType), tableSend_, msgId, status, at),
        msgId, kProcedureWriteDelivery);
}

std::optional<QList<AdoClass::OpenRow>> AdoClass::OpenRowsWithReference(int mr) {
    const Statement statement = OpenRowsWithReferenceStatement(tableSend_, mr);
    if (!EnsureOpen())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    const StatementWatch watch(QSqlDatabase::database(connectionName_, false),
                               kStatementTimeoutSecs);
    bool ok = literal_ ? query.exec(statement.inlined(literal_)) : query.prepare(statement.sql);
    if (ok && !literal_) {
        for (const QVariant& v : statement.values)
            query.addBindValue(v);
        ok = query.exec();
    }
    QList<OpenRow> rows;
    while (ok && query.next())
        rows.append(
            {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
    if (!ok || query.lastError().isValid()) {
        Fail(query.lastError(), kProcedureFindReported,
             LogTexts::kAdoQueryPrefix + statement.shown);
        return std::nullopt;
    }
    Succeeded();
    return rows;
}
