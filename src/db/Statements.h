#pragma once
// The statements the gateway runs, built as pure functions. Each comes in two forms: the text
// the driver runs, with a "?" for every value, and the text the log shows, with the values
// inlined between single quotes. Values are bound, so any text reaches the table as it stands.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>

struct Statement {
    QString sql;          // what the driver runs
    QVariantList values;  // bound in order to the "?" of sql
    QString shown;        // what the log shows
    QStringList parts;    // the SQL text around the values (one more than the values)

    // The statement with each value written as a literal by quote(value), for drivers that
    // cannot bind.
    QString inlined(QString (*quote)(const QString& value)) const;
};

// 'text' with every apostrophe doubled: the standard SQL literal, exact where backslashes are no
// escape character.
QString StandardLiteral(const QString& value);
// N'text': the same as a Unicode literal (SQL Server keeps Cyrillic only in these).
QString UnicodeLiteral(const QString& value);

// Builds both forms side by side.
class StatementText {
public:
    StatementText();
    // SQL text, the same in both forms.
    StatementText& sql(const QString& text);
    // A value between single quotes in the log, a bound "?" for the driver.
    StatementText& quoted(const QString& value);
    Statement done() const { return statement_; }

private:
    Statement statement_;
};

// The expression the receive-table insert writes into DateTime.
QString DateExpression(int sbType, const QDateTime& now);

// "Select * from T where Status=1"; with a gateway's name only the rows it claimed, in ID order.
Statement CheckSendStatement(const QString& tableSend, const QString& gateway = QString());
// "UPDATE T SET Status=s WHERE ID=id", the id unquoted: the caller runs it only when the id is a
// whole number. clearClaim also empties Gateway and ClaimedUntil (tables without them work while
// claims are off).
Statement UpdateSendStatement(const QString& tableSend, const QString& msgId, qint16 status,
                              bool clearClaim = false);
// The receive-table insert: E first, then the number and the text.
Statement InsertReceivedStatement(int sbType, const QString& tableReceive, const QDateTime& now,
                                  const QString& number, const QString& text);
// The send-table insert of Number and SmsMessage; ID and Status take the table's defaults.
Statement InsertSendStatement(int sbType, const QString& tableSend, const QString& number,
                              const QString& text);
// The unit-tracking updates. LstActv and StatusID are SQL expressions of the caller (a date
// function, a number) and stand in the statement unquoted; the quoted values are bound.
Statement UpdateBatteryStatement(const QString& tableName, const QString& lstActv, qint16 value,
                                 const QString& unit);
Statement UpdateStatusStatement(const QString& tableName, const QString& lstActv,
                                const QString& statusId, const QString& batteryLevel,
                                const QString& unit);
