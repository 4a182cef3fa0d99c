#include "GatewayTestKit.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "files/LogLines.h"
#include "pdu/SMScoder.h"
#include "phone/MobilePhone.h"
#include "settings/Ini.h"
#include "testsupport.h"

namespace gatewaytest {

namespace {
constexpr int kTestStepMs = 100;
// A fixed service-centre time stamp for the delivered messages.
const QString kTimeStamp = QStringLiteral("62215041300021");
}  // namespace

QString DeliverFromSubmit(const QString& submit) {
    // First octet 04 (44 with a user-data header), no message reference, the destination as
    // originator, a time stamp in place of the validity.
    const QString sca = submit.left(16);
    const bool header = (submit.mid(16, 2).toInt(nullptr, 16) & 0x40) != 0;
    QString rest = submit.mid(16 + 4);
    const int digits = rest.left(2).toInt(nullptr, 16);
    const int addressChars = 4 + digits + (digits % 2);
    const QString address = rest.left(addressChars);
    rest = rest.mid(addressChars);
    const QString pidDcs = rest.left(4);
    const QString userData = rest.mid(6);
    return sca + (header ? QStringLiteral("44") : QStringLiteral("04")) + address + pidDcs +
           kTimeStamp + userData;
}

QString DeliverPdu(const QString& number, const QString& text) {
    SMScoder coder;
    QString body = text;
    const QStringList parts = coder.PrepareSend(number, body, QStringLiteral("79001111111"), 0);
    if (parts.size() != 1)
        return QString();
    return DeliverFromSubmit(parts.first().section(QLatin1Char('-'), 0, 0));
}

QString GatewayRig::ScratchTemplate() {
    // In memory where the machine offers it: a commit to SQLite then costs no disk flush.
    const QDir shm(QStringLiteral("/dev/shm"));
    const QString base =
        shm.exists() && QFileInfo(shm.path()).isWritable() ? shm.path() : QDir::tempPath();
    return base + QStringLiteral("/pelorus-gateway-XXXXXX");
}

GatewayRig::GatewayRig() {
    const QString logs = dir_.filePath(QStringLiteral("Logs"));
    QDir().mkpath(logs);
    settings[QStringLiteral("Server/SbType")] = QStringLiteral("6");
    settings[QStringLiteral("Server/DbName")] = DatabasePath();
    settings[QStringLiteral("Server/TableSend")] = QStringLiteral("Send");
    settings[QStringLiteral("Server/TableReceive")] = QStringLiteral("Receive");
    settings[QStringLiteral("Phone/ComPort")] = dir_.filePath(QStringLiteral("no-modem"));
    settings[QStringLiteral("Phone/ComPortSpeed")] = QStringLiteral("115200");
    settings[QStringLiteral("Phone/Period")] = QStringLiteral("10");
    settings[QStringLiteral("SMS/SMSC")] = QStringLiteral("79001111111");
    settings[QStringLiteral("Folders/Logs")] = logs;

    checkConnection_ = QStringLiteral("check-") + QUuid::createUuid().toString(QUuid::Id128);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), checkConnection_);
    db.setDatabaseName(DatabasePath());
    db.open();
    QFile schema(testsupport::SourceDir() + QStringLiteral("/sql/sqlite.sql"));
    schema.open(QIODevice::ReadOnly);
    QString sql;
    for (const QString& line : QString::fromUtf8(schema.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            sql += line + QLatin1Char('\n');
    for (const QString& statement : sql.split(QLatin1Char(';')))
        if (!statement.trimmed().isEmpty())
            QSqlQuery(db).exec(statement);
}

GatewayRig::~GatewayRig() {
    if (gateway_)
        gateway_->Shutdown();
    gateway_.reset();
    modem_.stop();
    {
        QSqlDatabase db = QSqlDatabase::database(checkConnection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(checkConnection_);
    INIFileName.clear();
}

void GatewayRig::SetSetting(const QString& sectionKey, const QString& value) {
    settings[sectionKey] = value;
    if (gateway_)
        WriteINI(INIFileName, sectionKey.section(QLatin1Char('/'), 0, 0),
                 sectionKey.section(QLatin1Char('/'), 1), value);
}

QString GatewayRig::SettingInFile(const QString& section, const QString& key) const {
    return ReadINI(dir_.filePath(QStringLiteral("Pelorus.ini")), section, key, QString());
}

bool GatewayRig::StartModem(const QStringList& options, const QStringList& inbox) {
    if (!modem_.start(options, inbox))
        return false;
    SetSetting(QStringLiteral("Phone/ComPort"), modem_.link());
    return true;
}

void GatewayRig::WriteSettings() {
    INIFileName = dir_.filePath(QStringLiteral("Pelorus.ini"));
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        WriteINI(INIFileName, it.key().section(QLatin1Char('/'), 0, 0),
                 it.key().section(QLatin1Char('/'), 1), it.value());
}

void GatewayRig::Load() {
    WriteSettings();
    gateway_ = std::make_unique<Gateway>(view, pacer);
    gateway_->Load(dir_.path());
    gateway_->Phone().setStepMs(kTestStepMs);
}

void GatewayRig::Start() {
    Load();
    gateway_->Start();
}

QString GatewayRig::DatabasePath() const {
    return dir_.filePath(QStringLiteral("pelorus.db"));
}

void GatewayRig::AddSendRow(const QString& number, const QString& text) {
    QSqlQuery q(QSqlDatabase::database(checkConnection_));
    q.prepare(QStringLiteral("INSERT INTO Send (Number, SmsMessage) VALUES (?, ?)"));
    q.addBindValue(number);
    q.addBindValue(text);
    q.exec();
}

QList<SendRowState> GatewayRig::SendRows() const {
    QList<SendRowState> rows;
    QSqlQuery q(QSqlDatabase::database(checkConnection_));
    q.exec(QStringLiteral("SELECT ID, Number, SmsMessage, Status FROM Send ORDER BY ID"));
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                        q.value(3).toInt()});
    return rows;
}

QList<QStringList> GatewayRig::ReceivedRows() const {
    QList<QStringList> rows;
    QSqlQuery q(QSqlDatabase::database(checkConnection_));
    q.exec(QStringLiteral("SELECT Number, SmsMessage FROM Receive ORDER BY rowid"));
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString()});
    return rows;
}

QStringList GatewayRig::ReceivedTexts() const {
    QStringList texts;
    for (const QStringList& row : ReceivedRows())
        texts << row.value(1);
    return texts;
}

void GatewayRig::SetDatabaseDown(bool down) {
    SetSetting(QStringLiteral("Server/DbName"),
               down ? dir_.filePath(QStringLiteral("missing/folder/pelorus.db")) : DatabasePath());
}

QStringList GatewayRig::PhoneListing() {
    MobilePhone phone(pacer);
    phone.setStepMs(kTestStepMs);
    phone.setPortNumber(modem_.link());
    phone.setPortSpeed(QStringLiteral("115200"));
    QStringList pdus;
    if (!phone.PortOpen())
        return {QStringLiteral("(port did not open)")};
    for (int storage = 1; storage <= 2; ++storage) {
        phone.ChoseStorage(storage);
        phone.ReadAllMsg(4);
        for (const QString& line : phone.Answer().split(QStringLiteral("\r\n")))
            if (line.size() > 25)
                pdus << line;
    }
    phone.ClosePort();
    return pdus;
}

bool GatewayRig::DeleteFromPhone(const QString& msgId) {
    MobilePhone phone(pacer);
    phone.setStepMs(kTestStepMs);
    phone.setPortNumber(modem_.link());
    phone.setPortSpeed(QStringLiteral("115200"));
    if (!phone.PortOpen())
        return false;
    const bool deleted = phone.DeleteMsg(msgId);
    phone.ClosePort();
    return deleted;
}

QStringList GatewayRig::LogFileLines() const {
    const QByteArray bytes = testsupport::ReadBytes(
        DailyLogPath(dir_.filePath(QStringLiteral("Logs")), QDate::currentDate()));
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    lines.removeAll(QString());
    return lines;
}

}  // namespace gatewaytest
