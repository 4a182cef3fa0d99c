#include "db/Statements.h"

#include "db/ConnectionString.h"

namespace {

bool Bracketed(int sbType) {
    return sbType == KindAccess || sbType == KindAccess2007;
}

QString Columns(int sbType, const QStringList& names) {
    if (!Bracketed(sbType))
        return names.join(QStringLiteral(", "));
    QStringList bracketed;
    for (const QString& n : names)
        bracketed << QLatin1Char('[') + n + QLatin1Char(']');
    return bracketed.join(QStringLiteral(", "));
}

}  // namespace

StatementText::StatementText() {
    statement_.parts << QString();
}

StatementText& StatementText::sql(const QString& text) {
    statement_.sql += text;
    statement_.shown += text;
    statement_.parts.last() += text;
    return *this;
}

StatementText& StatementText::quoted(const QString& value) {
    statement_.sql += QLatin1Char('?');
    statement_.values << value;
    statement_.shown += QLatin1Char('\'') + value + QLatin1Char('\'');
    statement_.parts << QString();
    return *this;
}

QString Statement::inlined(QString (*quote)(const QString& value)) const {
    QString text = parts.value(0);
    for (int i = 0; i < values.size(); ++i)
        text += quote(values[i].toString()) + parts.value(i + 1);
    return text;
}

QString StandardLiteral(const QString& value) {
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString UnicodeLiteral(const QString& value) {
    return QLatin1Char('N') + StandardLiteral(value);
}

QString DateExpression(int sbType, const QDateTime& now) {
    switch (sbType) {
        case KindAccess:
        case KindAccess2007:
        case KindFirebird:
        case KindSQLite:
            return QLatin1Char('\'') + now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                   QLatin1Char('\'');
        case KindSqlServer:
        case KindSqlServer2005:
            return QStringLiteral("GetDate()");
        case KindMySql:
            return QStringLiteral("Now()");
        default:
            return QString();
    }
}

Statement CheckSendStatement(const QString& tableSend, const QString& gateway) {
    StatementText check;
    check.sql(QStringLiteral("Select * from ") + tableSend + QStringLiteral(" where Status=1"));
    if (!gateway.isEmpty())
        check.sql(QStringLiteral(" and Gateway="))
            .quoted(gateway)
            .sql(QStringLiteral(" order by ID"));
    return check.done();
}

Statement UpdateSendStatement(const QString& tableSend, const QString& msgId, qint16 status,
                              bool clearClaim) {
    return StatementText()
        .sql(QStringLiteral("UPDATE ") + tableSend + QStringLiteral(" SET Status=") +
             QString::number(status) +
             (clearClaim ? QStringLiteral(", Gateway=NULL, ClaimedUntil=NULL") : QString()) +
             QStringLiteral(" WHERE ID=") + msgId)
        .done();
}

Statement InsertReceivedStatement(int sbType, const QString& tableReceive, const QDateTime& now,
                                  const QString& number, const QString& text) {
    return StatementText()
        .sql(QStringLiteral("INSERT INTO ") + tableReceive + QStringLiteral(" (") +
             Columns(sbType, {QStringLiteral("DateTime"), QStringLiteral("Number"),
                              QStringLiteral("SmsMessage")}) +
             QStringLiteral(") VALUES (") + DateExpression(sbType, now) + QStringLiteral(", "))
        .quoted(number)
        .sql(QStringLiteral(", "))
        .quoted(text)
        .sql(QStringLiteral(")"))
        .done();
}

Statement InsertSendStatement(int sbType, const QString& tableSend, const QString& number,
                              const QString& text) {
    return StatementText()
        .sql(QStringLiteral("INSERT INTO ") + tableSend + QStringLiteral(" (") +
             Columns(sbType, {QStringLiteral("Number"), QStringLiteral("SmsMessage")}) +
             QStringLiteral(") VALUES ("))
        .quoted(number)
        .sql(QStringLiteral(", "))
        .quoted(text)
        .sql(QStringLiteral(")"))
        .done();
}

Statement UpdateBatteryStatement(const QString& tableName, const QString& lstActv, qint16 value,
                                 const QString& unit) {
    return StatementText()
        .sql(QStringLiteral("UPDATE  ") + tableName + QStringLiteral(" SET lstactv = ") + lstActv +
             QStringLiteral(" , BattCharge = ") + QString::number(value) +
             QStringLiteral(" where unit = "))
        .quoted(unit)
        .done();
}

Statement UpdateStatusStatement(const QString& tableName, const QString& lstActv,
                                const QString& statusId, const QString& batteryLevel,
                                const QString& unit) {
    return StatementText()
        .sql(QStringLiteral("UPDATE  ") + tableName + QStringLiteral(" SET lstactv = ") + lstActv +
             QStringLiteral(" , statusid = ") + statusId + QStringLiteral(", extinfo="))
        .quoted(batteryLevel)
        .sql(QStringLiteral(" where unit = "))
        .quoted(unit)
        .done();
}
