#include "db/Claims.h"

#include "db/ConnectionString.h"

QString LeaseEndExpression(ClaimDialect dialect, int secs) {
    const QString n = QString::number(secs);
    switch (dialect) {
        case ClaimDialect::MySql:
            return QStringLiteral("UTC_TIMESTAMP() + INTERVAL ") + n + QStringLiteral(" SECOND");
        case ClaimDialect::SQLite:
            return QStringLiteral("datetime('now', '+") + n + QStringLiteral(" seconds')");
        case ClaimDialect::Firebird:
            return QStringLiteral("DATEADD(") + n + QStringLiteral(" SECOND TO LOCALTIMESTAMP)");
        case ClaimDialect::SqlServer:
            return QStringLiteral("DATEADD(second, ") + n + QStringLiteral(", GETUTCDATE())");
        case ClaimDialect::None:
            break;
    }
    return QString();
}

namespace {

// Waiting and held by nobody: a lease end missing or past also frees a row that was named by
// hand.
QString Claimable(ClaimDialect dialect) {
    return QStringLiteral(
               "Status=1 AND (Gateway IS NULL OR ClaimedUntil IS NULL OR "
               "ClaimedUntil < ") +
           NowExpression(dialect) + QLatin1Char(')');
}

QString SetClaim(const ClaimTerms& t) {
    return QStringLiteral(" SET ClaimedUntil=") + LeaseEndExpression(t.dialect, t.leaseSecs) +
           QStringLiteral(", Gateway=");
}

}  // namespace

ClaimDialect ClaimDialectOf(int sbType) {
    switch (sbType) {
        case KindMySql:
            return ClaimDialect::MySql;
        case KindSQLite:
            return ClaimDialect::SQLite;
        case KindFirebird:
            return ClaimDialect::Firebird;
        case KindSqlServer:
        case KindSqlServer2005:
            return ClaimDialect::SqlServer;
        default:
            return ClaimDialect::None;
    }
}

QString NowExpression(ClaimDialect dialect) {
    // UTC where the server offers it, so that sessions in other time zones agree; Firebird 3 has
    // only the server's local time.
    switch (dialect) {
        case ClaimDialect::MySql:
            return QStringLiteral("UTC_TIMESTAMP()");
        case ClaimDialect::SQLite:  // the host's clock: one SQLite file serves one host's gateways
            return QStringLiteral("datetime('now')");
        case ClaimDialect::Firebird:
            return QStringLiteral("LOCALTIMESTAMP");
        case ClaimDialect::SqlServer:
            return QStringLiteral("GETUTCDATE()");
        case ClaimDialect::None:
            break;
    }
    return QString();
}

QList<Statement> ClaimStatements(const ClaimTerms& t) {
    const QString n = QString::number(t.batch);
    const QString where = QStringLiteral(" WHERE ") + Claimable(t.dialect);
    StatementText update;
    switch (t.dialect) {
        case ClaimDialect::MySql:
            update.sql(QStringLiteral("UPDATE ") + t.table + SetClaim(t))
                .quoted(t.gateway)
                .sql(where + QStringLiteral(" ORDER BY ID LIMIT ") + n);
            break;
        case ClaimDialect::SQLite:
            // SQLite offers UPDATE ... LIMIT only when built for it.
            update.sql(QStringLiteral("UPDATE ") + t.table + SetClaim(t))
                .quoted(t.gateway)
                .sql(QStringLiteral(" WHERE ID IN (SELECT ID FROM ") + t.table + where +
                     QStringLiteral(" ORDER BY ID LIMIT ") + n + QLatin1Char(')'));
            return {StatementText().sql(QStringLiteral("BEGIN IMMEDIATE")).done(), update.done(),
                    StatementText().sql(QStringLiteral("COMMIT")).done()};
        case ClaimDialect::Firebird:
            update.sql(QStringLiteral("UPDATE ") + t.table + SetClaim(t))
                .quoted(t.gateway)
                .sql(where + QStringLiteral(" ORDER BY ID ROWS ") + n);
            break;
        case ClaimDialect::SqlServer:
            update
                .sql(QStringLiteral("UPDATE TOP (") + n + QStringLiteral(") ") + t.table +
                     SetClaim(t))
                .quoted(t.gateway)
                .sql(where);
            break;
        case ClaimDialect::None:
            return {};
    }
    return {update.done()};
}

Statement RenewClaimsStatement(const ClaimTerms& t) {
    return StatementText()
        .sql(QStringLiteral("UPDATE ") + t.table + QStringLiteral(" SET ClaimedUntil=") +
             LeaseEndExpression(t.dialect, t.leaseSecs) +
             QStringLiteral(" WHERE Status=1 AND Gateway="))
        .quoted(t.gateway)
        .done();
}

Statement HeldRowStatement(const ClaimTerms& t, const QString& msgId) {
    return StatementText()
        .sql(QStringLiteral("Select ID from ") + t.table + QStringLiteral(" where ID=") + msgId +
             QStringLiteral(" and Status=1 and Gateway="))
        .quoted(t.gateway)
        .done();
}

Statement ReleaseStatement(const ClaimTerms& t, const QStringList& kept) {
    StatementText release;
    release
        .sql(QStringLiteral("UPDATE ") + t.table +
             QStringLiteral(" SET Gateway=NULL, ClaimedUntil=NULL WHERE Status=1 AND Gateway="))
        .quoted(t.gateway);
    if (!kept.isEmpty())
        release.sql(QStringLiteral(" AND ID NOT IN (") + kept.join(QLatin1Char(',')) +
                    QLatin1Char(')'));
    return release.done();
}
