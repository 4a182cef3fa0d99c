#include "GatewayTestKit.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
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
const QString kTimeStamp = u"62215041300021"_s;

// "Section/Key" into the settings file.
void WriteSetting(const QString& file, const QString& sectionKey, const QString& value) {
    WriteINI(file, sectionKey.section(u'/', 0, 0), sectionKey.section(u'/', 1), value);
}
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
    return sca + (header ? u"44"_s : u"04"_s) + address + pidDcs + kTimeStamp + userData;
}

QString DeliverPdu(const QString& number, const QString& text) {
    SMScoder coder;
    QString body = text;
    const QStringList parts = coder.PrepareSend(number, body, u"79001111111"_s, 0);
    if (parts.size() != 1)
        return QString();
    return DeliverFromSubmit(parts.first().section(u'-', 0, 0));
}

QString GatewayRig::ScratchTemplate() {
    // In memory where the machine offers it: a commit to SQLite then costs no disk flush.
    const QDir shm(u"/dev/shm"_s);
    const QString base =
        shm.exists() && QFileInfo(shm.path()).isWritable() ? shm.path() : QDir::tempPath();
    return base + u"/pelorus-gateway-XXXXXX"_s;
}

GatewayRig::GatewayRig() {
    view.pacer = &pacer;
    settings = {
        {u"Server/SbType"_s, u"6"_s},           {u"Server/DbName"_s, DatabasePath()},
        {u"Server/TableSend"_s, u"Send"_s},     {u"Server/TableReceive"_s, u"Receive"_s},
        {u"Phone/ComPortSpeed"_s, u"115200"_s}, {u"Phone/Period"_s, u"10"_s},
        {u"SMS/SMSC"_s, u"79001111111"_s},      {u"Phone/ComPort"_s, dir_.filePath(u"no-modem"_s)}};

    checkConnection_ = u"check-"_s + QUuid::createUuid().toString(QUuid::Id128);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, checkConnection_);
    db.setDatabaseName(DatabasePath());
    db.open();
    for (const QString& statement : testsupport::SchemaStatements(u"sqlite.sql"_s))
        QSqlQuery(db).exec(statement);
}

GatewayRig::~GatewayRig() {
    if (gateway_)
        gateway_->Shutdown();
    gateway_.reset();
    modem_.stop();
    QSqlDatabase::database(checkConnection_, false).close();
    QSqlDatabase::removeDatabase(checkConnection_);
    INIFileName.clear();
}

void GatewayRig::SetSetting(const QString& sectionKey, const QString& value) {
    settings[sectionKey] = value;
    if (gateway_)
        WriteSetting(INIFileName, sectionKey, value);
}

QString GatewayRig::SettingInFile(const QString& section, const QString& key) const {
    return ReadINI(dir_.filePath(u"Pelorus.ini"_s), section, key, QString());
}

bool GatewayRig::StartModem(const QStringList& options, const QStringList& inbox) {
    if (!modem_.start(options, inbox))
        return false;
    SetSetting(u"Phone/ComPort"_s, modem_.link());
    return true;
}

void GatewayRig::WriteSettings() {
    INIFileName = dir_.filePath(u"Pelorus.ini"_s);
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        WriteSetting(INIFileName, it.key(), it.value());
}

void GatewayRig::Load() {
    WriteSettings();
    gateway_.reset();
    gateway_ = std::make_unique<Gateway>(view, pacer, clock ? *clock : Clock::system());
    gateway_->Load(dir_.path());
    gateway_->Phone().setStepMs(kTestStepMs);
}

void GatewayRig::RunCycles(int cycles) {
    for (int i = 0; i < cycles; ++i)
        gateway_->RunCycle();
}

QSqlQuery GatewayRig::Query(const QString& sql, const QStringList& values) const {
    QSqlQuery q(QSqlDatabase::database(checkConnection_));
    q.prepare(sql);
    for (const QString& value : values)
        q.addBindValue(value);
    q.exec();
    return q;
}

void GatewayRig::AddSendRow(const QString& number, const QString& text) {
    Query(u"INSERT INTO Send (Number, SmsMessage) VALUES (?, ?)"_s, {number, text});
}

QList<SendRowState> GatewayRig::SendRows() const {
    QList<SendRowState> rows;
    QSqlQuery q = Query(u"SELECT ID, Number, Status FROM Send ORDER BY ID"_s);
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()});
    return rows;
}

QStringList GatewayRig::ReceivedColumn(const QString& column, const QString& table) const {
    QStringList values;
    QSqlQuery q = Query(u"SELECT %1 FROM %2 ORDER BY rowid"_s.arg(column, table));
    while (q.next())
        values << q.value(0).toString();
    return values;
}

void GatewayRig::SetDatabaseDown(bool down) {
    SetSetting(u"Server/DbName"_s,
               down ? dir_.filePath(u"missing/folder/pelorus.db"_s) : DatabasePath());
}

std::unique_ptr<MobilePhone> GatewayRig::OpenOwnPhone() {
    auto phone = std::make_unique<MobilePhone>(pacer);
    phone->setStepMs(kTestStepMs);
    phone->setPortNumber(modem_.link());
    phone->setPortSpeed(u"115200"_s);
    return phone->PortOpen() ? std::move(phone) : nullptr;
}

QStringList GatewayRig::PhoneListing() {
    const auto phone = OpenOwnPhone();
    if (!phone)
        return {u"(port did not open)"_s};
    QStringList pdus;
    for (int storage = 1; storage <= 2; ++storage) {
        phone->ChoseStorage(storage);
        phone->ReadAllMsg(4);
        for (const QString& line : phone->Answer().split(u"\r\n"_s))
            if (line.size() > 25)
                pdus << line;
    }
    phone->ClosePort();
    return pdus;
}

bool GatewayRig::DeleteFromPhone(const QString& msgId) {
    const auto phone = OpenOwnPhone();
    const bool deleted = phone && phone->DeleteMsg(msgId);
    if (phone)
        phone->ClosePort();
    return deleted;
}

QStringList GatewayRig::LogFileLines() const {
    const QByteArray bytes =
        testsupport::ReadBytes(DailyLogPath(dir_.filePath(u"Logs"_s), QDate::currentDate()));
    QStringList lines = QString::fromUtf8(bytes).split(u"\r\n"_s);
    lines.removeAll(QString());
    return lines;
}

}  // namespace gatewaytest
