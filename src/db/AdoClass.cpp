#include "db/AdoClass.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/Claims.h"
#include "db/ConnectionString.h"
#include "db/DriverTarget.h"
#include "db/Stall.h"
#include "db/StatementWatch.h"
#include "db/Statements.h"
#include "files/AlarmLamps.h"
#include "files/LogLines.h"
#include "files/LogTexts.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

namespace {

QString NextConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("pelorus-ado-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// The error number the log shows: the driver's own code, else the kind of error.
QString ErrorCode(const QSqlError& error) {
    const QString native = error.nativeErrorCode();
    return native.isEmpty() ? QString::number(static_cast<int>(error.type())) : native;
}

// Drivers give several lines (Firebird's status vector); the log keeps one per error.
QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.trimmed();
}

QSqlError OwnError(const QString& text, QSqlError::ErrorType type) {
    return QSqlError(QString(), text, type);
}

bool HoldsNul(const QVariantList& values) {
    for (const QVariant& v : values) {
        if (v.toString().contains(QChar(0)))
            return true;
    }
    return false;
}

QString FieldText(const QSqlQuery& query, int index) {
    const QVariant v = query.value(index);
    return v.isNull() ? QString() : v.toString();
}

}  // namespace

AdoClass::AdoClass(AlarmLamps* lamps, const Clock& clock)
    : lamps_(lamps), clock_(clock), connectionName_(NextConnectionName()) {}

AdoClass::~AdoClass() {
    CloseConnection();
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
}

bool AdoClass::IsOpen() const {
    return QSqlDatabase::contains(connectionName_) &&
           QSqlDatabase::database(connectionName_, false).isOpen();
}

bool AdoClass::Connect() {
    if (IsOpen())
        return true;
    const DbSettings settings = ReadDbSettings();
    const std::optional<QString> built = ConnectionString(settings);
    const QString logged = LoggedConnectionString(settings).value_or(QString());
    if (!built) {
        Fail(OwnError(QStringLiteral("No connection string for SbType %1, Driver %2, Access %3, "
                                     "MySqlODBC %4")
                          .arg(settings.sbType)
                          .arg(settings.driver)
                          .arg(settings.access)
                          .arg(settings.mySqlOdbc),
                      QSqlError::ConnectionError),
             LogTexts::kProcedureConnect, LogTexts::kConnStringPrefix + logged);
        return false;
    }
    const QString settingsFolder = QFileInfo(INIFileName).absolutePath();
    const DriverTarget target = TargetForConnectionString(*built, settingsFolder);
    QSqlError error;
    if (!target.usable()) {
        error = OwnError(target.error, QSqlError::ConnectionError);
    } else if (target.driver == QLatin1String("QSQLITE") && !target.createFile &&
               !QFileInfo::exists(target.databaseName)) {
        // The driver would create an empty file and report it connected.
        error = OwnError(QStringLiteral("The SQLite database file %1 does not exist "
                                        "(pelorus --init-db creates it with the tables)")
                             .arg(target.databaseName),
                         QSqlError::ConnectionError);
    } else if (!QSqlDatabase::isDriverAvailable(target.driver)) {
        error = OwnError(QStringLiteral("The Qt SQL driver %1 is not installed").arg(target.driver),
                         QSqlError::ConnectionError);
    } else {
        // Built afresh at every connect: the settings may name another kind since the last one.
        if (QSqlDatabase::contains(connectionName_))
            QSqlDatabase::removeDatabase(connectionName_);
        QSqlDatabase db = AddTargetConnection(target, connectionName_);
        literal_ = target.values == DriverTarget::Values::StandardLiterals  ? &StandardLiteral
                   : target.values == DriverTarget::Values::UnicodeLiterals ? &UnicodeLiteral
                                                                            : nullptr;
        if (db.open()) {
            for (const QString& init : target.initStatements) {
                QSqlQuery query(db);
                if (!query.exec(init))
                    error = query.lastError();
            }
            if (!error.isValid()) {
                Succeeded();
                return true;
            }
            db.close();
        } else {
            error = db.lastError();
        }
    }
    Fail(error, LogTexts::kProcedureConnect, LogTexts::kConnStringPrefix + logged);
    return false;
}

void AdoClass::CloseConnection() {
    if (IsOpen())
        QSqlDatabase::database(connectionName_, false).close();
}

bool AdoClass::EnsureOpen() {
    return IsOpen() || (Connect() && IsOpen());
}

std::optional<QStringList> AdoClass::CheckSend() {
    return LoadSendRows(CheckSendStatement(tableSend_));
}

std::optional<QStringList> AdoClass::LoadSendRows(const Statement& statement) {
    const QStringList nothingWaits{QString()};
    if (!EnsureOpen())
        return std::nullopt;
    if (ReadSetting(Setting::TestRecordset) == QLatin1String("1"))
        WriteLog(LogTexts::CheckSendTraceLine(statement.shown));

    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    const QString secondLine = LogTexts::kAdoQueryPrefix + statement.shown;
    const StatementWatch watch(QSqlDatabase::database(connectionName_, false),
                               kStatementTimeoutSecs);
    if (!Exec(query, statement)) {
        Fail(query.lastError(), LogTexts::kProcedureCheckSend, secondLine);
        return nothingWaits;
    }
    const QSqlRecord record = query.record();
    const int id = record.indexOf(QStringLiteral("ID"));
    const int number = record.indexOf(QStringLiteral("Number"));
    const int text = record.indexOf(QStringLiteral("SmsMessage"));
    if (id < 0 || number < 0 || text < 0) {
        Fail(OwnError(QStringLiteral("The send table lacks one of ID, Number, SmsMessage"),
                      QSqlError::StatementError),
             LogTexts::kProcedureCheckSend, secondLine);
        return nothingWaits;
    }
    QStringList rows;
    while (query.next())
        rows << FieldText(query, id) + QChar(0) + FieldText(query, number) + QChar(0) +
                    FieldText(query, text);
    if (query.lastError().isValid()) {
        Fail(query.lastError(), LogTexts::kProcedureCheckSend, secondLine);
        return rows.isEmpty() ? nothingWaits : rows;
    }
    if (ReadSetting(Setting::TestRecordset) == QLatin1String("1"))
        WriteLog(LogTexts::RecordCountsTraceLine(rows.size()));
    Succeeded();
    return rows.isEmpty() ? nothingWaits : rows;
}

void AdoClass::FillClaimTerms(ClaimTerms& terms) const {
    terms.dialect = ClaimDialectOf(SettingNumber(Setting::ServerSbType));
    terms.table = tableSend_;
}

std::optional<QStringList> AdoClass::ClaimSend(ClaimTerms terms) {
    FillClaimTerms(terms);
    if (!EnsureOpen())
        return std::nullopt;
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    // Asked of the table itself: not every ODBC driver lists a table's columns. When the table
    // itself fails, the claim's own error says why.
    const QString probe = QStringLiteral(" FROM ") + tableSend_ + QStringLiteral(" WHERE 1=0");
    if (!QSqlQuery(db).exec(QStringLiteral("SELECT Gateway, ClaimedUntil") + probe) &&
        QSqlQuery(db).exec(QStringLiteral("SELECT ID") + probe)) {
        failed_ = true;
        WriteLog(LogTexts::kNoClaimColumns);
        SetAlarm(AlarmRaised);
        return QStringList{QString()};
    }
    // Its own rows first: a write-back that failed is tried again under a live lease.
    QList<Statement> claim{RenewClaimsStatement(terms)};
    if (terms.batch > 0)
        claim << ClaimStatements(terms);
    for (const Statement& step : claim) {
        QSqlQuery query(db);
        const StatementWatch watch(db, kStatementTimeoutSecs);
        if (!Exec(query, step)) {
            Fail(query.lastError(), LogTexts::kProcedureClaimSend,
                 LogTexts::kAdoQueryPrefix + step.shown);
            if (terms.dialect == ClaimDialect::SQLite)  // ends its transaction, if one is open
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            break;  // the rows it holds already are still its own
        }
    }
    return LoadSendRows(CheckSendStatement(tableSend_, terms.gateway));
}

std::optional<bool> AdoClass::HoldClaim(ClaimTerms terms, const QString& msgId) {
    FillClaimTerms(terms);
    bool isNumber = false;
    msgId.toLongLong(&isNumber);
    if (!isNumber)  // row keys stand unquoted in the statement
        return false;
    if (!Run(RenewClaimsStatement(terms), LogTexts::kProcedureClaimSend, LogTexts::kAdoQueryPrefix))
        return std::nullopt;
    // Read back, not counted: MySQL counts a lease renewed within its second as no change.
    const Statement held = HeldRowStatement(terms, msgId);
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery query(db);
    const StatementWatch watch(db, kStatementTimeoutSecs);
    if (!Exec(query, held)) {
        Fail(query.lastError(), LogTexts::kProcedureClaimSend,
             LogTexts::kAdoQueryPrefix + held.shown);
        return std::nullopt;
    }
    return query.next();
}

bool AdoClass::ReleaseClaims(ClaimTerms terms, const QStringList& kept) {
    FillClaimTerms(terms);
    return Run(ReleaseStatement(terms, kept), LogTexts::kProcedureClaimSend,
               LogTexts::kAdoQueryPrefix);
}

bool AdoClass::UpdateSend(const QString& msgId, qint16 status) {
    const QString procedure = LogTexts::kProcedureUpdateSend;
    const Statement statement = UpdateSendStatement(
        tableSend_, msgId, status, !ReadSetting(Setting::OptionsGatewayId).trimmed().isEmpty());
    bool isNumber = false;
    msgId.toLongLong(&isNumber);
    if (isNumber)
        return Run(statement, procedure, LogTexts::kAdoQueryPrefix);
    // The row key is a number; any other text would change the statement itself.
    if (!EnsureOpen())
        return false;
    Fail(OwnError(QStringLiteral("MsgID is not a number"), QSqlError::StatementError), procedure,
         LogTexts::kAdoQueryPrefix + statement.shown);
    return false;
}

bool AdoClass::WriteReceived(const ReceivedMsg& msg) {
    return Run(InsertReceivedStatement(SettingNumber(Setting::ServerSbType), tableReceive_,
                                       clock_.now(), msg.Phone(), msg.MsgText()),
               LogTexts::kProcedureWriteReceived, LogTexts::kQueryPrefix);
}

bool AdoClass::WriteToTable(const QString& tableType, const QString& number, const QString& text) {
    const int sbType = SettingNumber(Setting::ServerSbType);
    const Statement statement =
        tableType == QLatin1String("Send")
            ? InsertSendStatement(sbType, tableSend_, number, text)
            : InsertReceivedStatement(sbType, tableReceive_, clock_.now(), number, text);
    return Run(statement, LogTexts::kProcedureWriteToTable, LogTexts::kQueryPrefix);
}

bool AdoClass::ExecuteQuery(const QString& query) {
    if (!EnsureOpen())
        return false;
    WriteLog(LogTexts::kExecutingQuery + query);
    return Run(StatementText().sql(query).done(), LogTexts::kProcedureExecuteQuery,
               LogTexts::kAdoQueryPrefix);
}

bool AdoClass::UpdateBattery(const QString& tableName, const QString& lstActv, qint16 value,
                             const QString& unit) {
    return Run(UpdateBatteryStatement(tableName, lstActv, value, unit),
               LogTexts::kProcedureUpdateBattery, LogTexts::kAdoQueryPrefix);
}

bool AdoClass::UpdateStatus(const QString& tableName, const QString& lstActv,
                            const QString& statusId, const QString& batteryLevel,
                            const QString& unit) {
    return Run(UpdateStatusStatement(tableName, lstActv, statusId, batteryLevel, unit),
               LogTexts::kProcedureUpdateStatus, LogTexts::kAdoQueryPrefix);
}

bool AdoClass::Run(const Statement& statement, const QString& procedure, const QString& prefix) {
    if (!EnsureOpen())
        return false;
    if (literal_ && HoldsNul(statement.values)) {
        Fail(OwnError(QStringLiteral("A value holds a NUL character, which the ODBC driver cannot "
                                     "take inside a statement; nothing was written"),
                      QSqlError::StatementError),
             procedure, prefix + statement.shown);
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    const StatementWatch watch(QSqlDatabase::database(connectionName_, false),
                               kStatementTimeoutSecs);
    if (!Exec(query, statement)) {
        Fail(query.lastError(), procedure, prefix + statement.shown);
        return false;
    }
    Succeeded();
    return true;
}

bool AdoClass::Exec(QSqlQuery& query, const Statement& statement) const {
    if (statement.values.isEmpty())
        return query.exec(statement.sql);
    if (literal_)
        return query.exec(statement.inlined(literal_));
    bool ok = query.prepare(statement.sql);
    for (const QVariant& v : statement.values)
        query.addBindValue(v);
    return ok && query.exec();
}

void AdoClass::Fail(const QSqlError& error, const QString& procedure, const QString& secondLine) {
    // A connection that was lost answers later calls with an empty error: the last real one
    // says what happened.
    if (!error.driverText().isEmpty() && !OneLine(error.databaseText()).isEmpty())
        lastDriverError_ = error;
    const QSqlError& shown = OneLine(error.databaseText()).isEmpty() && lastDriverError_.isValid()
                                 ? lastDriverError_
                                 : error;
    failed_ = true;
    stalled_ = IsStall(shown);
    WriteLog(LogTexts::AdoErrorLine(ErrorCode(shown), OneLine(shown.text()), procedure));
    WriteLog(secondLine);
    SetAlarm(AlarmRaised);
}

void AdoClass::WriteLog(const QString& text) {
    const QDateTime now = clock_.now();
    const QString line = LogLine(now, text);
    // The same folder fallback, escaping and files alarm as the gateway's own lines.
    WriteLogLine(logFolder_, now.date(), line, lamps_);
    if (onLogLine)
        onLogLine(line);
}

void AdoClass::Succeeded() {
    lastDriverError_ = QSqlError();
    failed_ = false;
    stalled_ = false;
    SetAlarm(AlarmSuccess);
}

void AdoClass::SetAlarm(int state) {
    if (lamps_)
        lamps_->SetAlarm(AlarmDatabase, state);
}
