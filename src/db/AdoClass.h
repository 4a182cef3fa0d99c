#pragma once
// The database gateway: one connection of its own, the statements on the send and receive
// tables, and the log lines and lamps of their failures. Errors never leave a member: each logs
// two lines, lights the database lamps and returns a neutral value.
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "files/Clock.h"
#include "settings/Records.h"

class AlarmLamps;
struct ClaimTerms;
struct Statement;

class AdoClass {
public:
    explicit AdoClass(AlarmLamps* lamps = nullptr, const Clock& clock = Clock::system());
    ~AdoClass();  // CloseConnection
    AdoClass(const AdoClass&) = delete;
    AdoClass& operator=(const AdoClass&) = delete;

    void setServerName(const QString& v) { serverName_ = v; }
    void setPortNumber(const QString& v) { portNumber_ = v; }
    void setDbaseName(const QString& v) { dbaseName_ = v; }
    void setTableReceive(const QString& v) { tableReceive_ = v; }
    void setTableSend(const QString& v) { tableSend_ = v; }
    void setUser(const QString& v) { user_ = v; }
    void setPWD(const QString& v) { pwd_ = v; }
    void setLogFolder(const QString& v) { logFolder_ = v; }

    // Opens the connection the settings file describes; true when it is open afterwards. An open
    // connection is kept as it is.
    bool Connect();
    void CloseConnection();

    // The waiting rows of the send table, each ID NUL Number NUL SmsMessage; one empty element
    // when nothing waits or the statement failed; no value when the database is unreachable.
    std::optional<QStringList> CheckSend();
    // Claims (Options/GatewayId; the table and kind are filled in here): marks at most
    // terms.batch claimable rows for terms.gateway, then returns its waiting rows as CheckSend
    // does. A table without the claim columns gives one log line and nothing to send.
    std::optional<QStringList> ClaimSend(ClaimTerms terms);
    // Renews the lease of a row about to be sent; true while the gateway still holds it, false
    // when another took it or it is done, no value when the database failed (logged).
    std::optional<bool> HoldClaim(ClaimTerms terms, const QString& msgId);
    // The gateway's waiting rows go back to all, except those in kept.
    bool ReleaseClaims(ClaimTerms terms, const QStringList& kept);
    // Clears the claim too while Options/GatewayId is set.
    bool UpdateSend(const QString& msgId, qint16 status);
    bool WriteReceived(const ReceivedMsg& msg);
    // TableType "Send" (exactly) writes to the send table, anything else to the receive table.
    bool WriteToTable(const QString& tableType, const QString& number, const QString& text);
    bool ExecuteQuery(const QString& query);
    bool UpdateBattery(const QString& tableName, const QString& lstActv, qint16 value,
                       const QString& unit);
    bool UpdateStatus(const QString& tableName, const QString& lstActv, const QString& statusId,
                      const QString& batteryLevel, const QString& unit);

    // The last failure was the server locked or timed out: the callers' loops stop trying for
    // this cycle instead of waiting once more for every record. A success clears it.
    bool Stalled() const { return stalled_; }
    // The last operation failed (its lines are in the log); the trace lines of CheckSend are no
    // failure.
    bool Failed() const { return failed_; }

    // Every line the gateway writes to its log also goes here (the headless runner prints them).
    std::function<void(const QString& line)> onLogLine;

    // The name of this object's connection in QSqlDatabase (unique per object).
    const QString& connectionName() const { return connectionName_; }

private:
    bool IsOpen() const;
    bool EnsureOpen();
    bool Run(const Statement& statement, const QString& procedure, const QString& prefix);
    // Binds or inlines the statement's values and runs it on query.
    bool Exec(QSqlQuery& query, const Statement& statement) const;
    std::optional<QStringList> LoadSendRows(const Statement& statement);
    void FillClaimTerms(ClaimTerms& terms) const;
    void Fail(const QSqlError& error, const QString& procedure, const QString& secondLine);
    void WriteLog(const QString& text);
    void Succeeded();
    void SetAlarm(int state);

    AlarmLamps* lamps_;
    const Clock& clock_;
    QString connectionName_;
    QString serverName_, portNumber_, dbaseName_, tableReceive_, tableSend_, user_, pwd_;
    QString logFolder_;
    bool stalled_ = false;
    bool failed_ = false;
    QSqlError lastDriverError_;  // the last error that carried the driver's own text
    QString (*literal_)(const QString&) = nullptr;  // the driver cannot bind: values inlined
};
