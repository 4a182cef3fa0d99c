#pragma once
// Every section, key and default of the settings file, in one table. Where two readers of one key
// pass different defaults, the key has one entry per reader. Readers name their entry:
//     ReadSetting(Setting::PhonePeriod)
// A reader that converts to a number uses SettingNumber (decimal conversion) or
// SettingLeadingNumber (leading-number conversion). A hand-edited file can hold anything: when
// SbType, Driver, Access, MySqlODBC, Mode or either Period is not a decimal number, SettingNumber
// gives the entry's default instead (the dialogs only ever write digits there).

#include <QString>
#include <functional>

// X(name, section, key, default)
#define PELORUS_SETTINGS(X)                                      \
    X(ServerSbType, "Server", "SbType", "0")                     \
    X(ServerDriver, "Server", "Driver", "0")                     \
    X(ServerAccess, "Server", "Access", "0")                     \
    X(ServerMySqlODBC, "Server", "MySqlODBC", "0")               \
    X(ServerNameForConnect, "Server", "ServerName", "MyServer")  \
    X(ServerName, "Server", "ServerName", "")                    \
    X(ServerDbNameForConnect, "Server", "DbName", "MyDatabase")  \
    X(ServerDbName, "Server", "DbName", "")                      \
    X(ServerUser, "Server", "User", "")                          \
    X(ServerPwd, "Server", "Pwd", "")                            \
    X(ServerTableReceive, "Server", "TableReceive", "Receive")   \
    X(ServerTableReceiveForDialog, "Server", "TableReceive", "") \
    X(ServerTableSend, "Server", "TableSend", "Send")            \
    X(ServerTableSendForDialog, "Server", "TableSend", "")       \
    X(PhoneComPort, "Phone", "ComPort", "1")                     \
    X(PhoneComPortSpeed, "Phone", "ComPortSpeed", "19200")       \
    X(PhonePeriod, "Phone", "Period", "60")                      \
    X(SmsSMSC, "SMS", "SMSC", "79001111111")                     \
    X(SmsSMSCForCompare, "SMS", "SMSC", "79xxxxxxxxx")           \
    X(SmsReport, "SMS", "Report", "0")                           \
    X(SmsToLatin, "SMS", "ToLatin", "0")                         \
    X(SmsLongID, "SMS", "LongID", "1")                           \
    X(SmsDelete, "SMS", "Delete", "1")                           \
    X(ReportDelivered, "SMSreports", "Delivered", "Доставлено")  \
    X(ReportSepended, "SMSreports", "Sepended", "Отложено")      \
    X(ReportDeleted, "SMSreports", "Deleted", "Удалено")         \
    X(ReportWrong, "SMSreports", "Wrong", "Ошибка")              \
    X(OptionsMode, "Options", "Mode", "1")                       \
    X(OptionsSendAttempts, "Options", "SendAttempts", "2")       \
    X(OptionsResendUncertain, "Options", "ResendUncertain", "0") \
    X(OptionsJoinParts, "Options", "JoinParts", "0")             \
    X(OptionsJoinTimeout, "Options", "JoinTimeout", "3600")      \
    X(OptionsPairReports, "Options", "PairReports", "0")         \
    X(OptionsGatewayId, "Options", "GatewayId", "")              \
    X(OptionsClaimBatch, "Options", "ClaimBatch", "20")          \
    X(OptionsClaimLease, "Options", "ClaimLease", "3600")        \
    X(OptionsFailoverAfter, "Options", "FailoverAfter", "3")     \
    X(ReinitPeriod, "Reinit", "Period", "5")                     \
    X(FoldersLogs, "Folders", "Logs", "")                        \
    X(TestRecordset, "Test", "Recordset", "0")                   \
    X(TestSMS, "Test", "SMS", "0")

enum class Setting {
#define PELORUS_SETTING_ENUM(name, section, key, def) name,
    PELORUS_SETTINGS(PELORUS_SETTING_ENUM)
#undef PELORUS_SETTING_ENUM
        Count
};

struct SettingEntry {
    QString section;
    QString key;
    QString defaultValue;
};

const SettingEntry& EntryOf(Setting setting);

// The value in INIFileName (ReadINI with the entry's default). Repeated reads of an unchanged
// file are answered from memory without touching the file.
QString ReadSetting(Setting setting);
// Writes the entry's key into INIFileName; false when the file could not be written.
bool WriteSetting(Setting setting, const QString& value);

// Both conversions clamp the number to the range of the type it is used as (a 16-bit integer;
// SMS/LongID one octet), since it would wrap there: Phone/Period=40000 became -25537. A clamped
// value gives one line in the settings log, once per key and value.
// Decimal conversion; a non-numeric value gives the default's value.
int SettingNumber(Setting setting);
// "Settings;      Phone/Period=40000 is out of range; 32767 used"
QString AdjustedSettingLine(const QString& sectionAndKey, const QString& read, qint64 used);
// Where the settings readers' own lines go (the log folder store installs itself at start-up);
// none when empty.
void SetSettingsLog(std::function<void(const QString&)> log);
// Leading-number conversion ("12abc" 12, "abc" 0).
qint64 SettingLeadingNumber(Setting setting);
