#pragma once
// The statements by which several gateways share one send table. A gateway with a name marks the
// rows it will send (Gateway = its name, ClaimedUntil = the lease's end) and loads only those, so
// that no two gateways load the same row. Every time comparison uses the database's own clock:
// the gateways may run on several hosts whose clocks differ, while the server has one.
//
// A row is claimable when it waits (Status 1) and nobody holds it: no name, no lease end, or a
// lease that has run out. Rows of Status 2 or 3 are never claimed.
#include <QString>
#include <QStringList>

#include "db/Statements.h"

// How one database kind marks at most n rows in one atomic statement.
enum class ClaimDialect {
    None,       // Access: no driver here, so no claims
    MySql,      // UPDATE ... ORDER BY ID LIMIT n
    SQLite,     // UPDATE ... WHERE ID IN (SELECT ... LIMIT n), inside BEGIN IMMEDIATE
    Firebird,   // UPDATE ... ORDER BY ID ROWS n
    SqlServer,  // UPDATE TOP (n)
};
ClaimDialect ClaimDialectOf(int sbType);

struct ClaimTerms {
    ClaimDialect dialect = ClaimDialect::None;
    QString table;
    QString gateway;
    int batch = 0;      // rows claimed at most
    int leaseSecs = 0;  // from the database's now
};

// The statements of one claim, run in order (SQLite: BEGIN IMMEDIATE, the update, COMMIT, so
// that two gateways on one file take turns).
QList<Statement> ClaimStatements(const ClaimTerms& terms);
// The current time on the database's clock, and secs later.
QString NowExpression(ClaimDialect dialect);
QString LeaseEndExpression(ClaimDialect dialect, int secs);
// Renews the lease of every waiting row terms.gateway holds: those it sent whose status is not
// yet written back as well as those still to send.
Statement RenewClaimsStatement(const ClaimTerms& terms);
// Whether terms.gateway still holds a waiting row: "Select ID from T where ..." (one row or none).
Statement HeldRowStatement(const ClaimTerms& terms, const QString& msgId);
// Gives the gateway's waiting rows back, except the rows named in kept (whole numbers).
Statement ReleaseStatement(const ClaimTerms& terms, const QStringList& kept);
