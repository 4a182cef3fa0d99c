#include "phone/MobilePhone.h"

#include <QElapsedTimer>
#include <QtDebug>

#include "phone/AtReplies.h"
#include "phone/SerialPort.h"
#include "settings/Conversions.h"
#include "settings/Cp1251.h"
#include "settings/Settings.h"

namespace {
const QString kOkWord = QStringLiteral("OK");
const QString kAwaitOk = QStringLiteral("OK");

// A reply that ends in a final result without its line end gets this long to finish it.
constexpr int kSettleMs = 30;

// Characters to the bytes of the Windows-1251 page, the page the phone's bytes are read in.
std::string ToWire(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            bytes += static_cast<char>(c.unicode());
            continue;
        }
        static const QString kUpperHalf = [] {
            QByteArray codes;
            for (int i = 0x80; i <= 0xFF; ++i)
                codes += static_cast<char>(i);
            return DecodeCp1251(codes);
        }();
        const int at = kUpperHalf.indexOf(c);
        bytes += at < 0 ? '?' : static_cast<char>(0x80 + at);
    }
    return bytes;
}

QString FromWire(const std::string& bytes) {
    return DecodeCp1251(QByteArray(bytes.data(), static_cast<int>(bytes.size())));
}
}  // namespace

MobilePhone::MobilePhone(Pacer& pacer) : pacer_(pacer), port_(std::make_unique<SerialPort>()) {}

MobilePhone::~MobilePhone() = default;

void MobilePhone::setPortNumber(const QString& port) {
    portNumber_ = port;
}
void MobilePhone::setPortSpeed(const QString& speed) {
    portSpeed_ = speed;
}

bool MobilePhone::PortOpen() {
    if (port_->isOpen())
        ClosePort();
    if (portNumber_.isEmpty() || portSpeed_.isEmpty())
        return false;
    const std::string device = PlatformDeviceName(portNumber_.toStdString());
    const std::string mode = ModeString(portSpeed_.toStdString());
    const SerialPort::OpenResult result = port_->open(device, mode);
    if (result.ok())
        return true;
    const QString code = QString::number(result.code);
    QString message;
    switch (result.step) {
        case SerialPort::OpenStep::Timeouts:
            message = QStringLiteral("Unable to set timeouts for port ") +
                      QString::fromStdString(device) + QStringLiteral(" Error: ") + code;
            break;
        case SerialPort::OpenStep::BuildDcb:
            message = QStringLiteral("Unable to build Comm DCB ") + QString::fromStdString(mode) +
                      QStringLiteral(" Error: ") + code;
            break;
        case SerialPort::OpenStep::SetDcb:
            message = QStringLiteral("Unable to set Comm DCB ") + QString::fromStdString(mode) +
                      QStringLiteral(" Error: ") + code;
            break;
        case SerialPort::OpenStep::Device:
        case SerialPort::OpenStep::Done:
            return false;  // a device that cannot be opened is reported by the caller
    }
    if (onSetupFailure)
        onSetupFailure(message);
    else
        qWarning().noquote() << message;
    return false;
}

bool MobilePhone::PortLost() const {
    return port_->lost();
}

int MobilePhone::ClosePort() {
    buffer_.clear();
    return port_->close();
}

void MobilePhone::PurgeBuffer() {
    port_->purge();
}
void MobilePhone::FlushComm() {
    port_->flush();
}

void MobilePhone::WritePort(const QString& text) {
    for (const QString& piece : AtReplies::WritePieces(text))
        port_->write(ToWire(piece));
}

QString MobilePhone::ReadPort() {
    return FromWire(port_->read());
}

void MobilePhone::PollPort() {
    const QString got = ReadPort();
    pacer_.letEventsRun();
    buffer_ += got;
}

QString MobilePhone::TakeBuffer() {
    QString taken;
    taken.swap(buffer_);
    return taken;
}

bool MobilePhone::WaitForBytes(int ms) {
    pacer_.letEventsRun();
    return port_->waitForInput(ms);
}

QString MobilePhone::SendCommand(const QString& command, const QString& awaited, qint16 steps) {
    error_.clear();
    QString reply;
    // A port that is not open (or a device that went away) can only end in "No answer".
    if (!port_->isOpen() || port_->lost()) {
        error_ = QStringLiteral("No answer");
        return reply;
    }
    WritePort(command + QLatin1Char('\r'));
    QElapsedTimer clock;
    clock.start();
    const qint64 budgetMs = qint64(steps < 1 ? 1 : steps) * stepMs_;
    while (true) {
        PollPort();
        reply += TakeBuffer();
        const AtReplies::Final final = AtReplies::FindFinal(reply);
        if (final == AtReplies::Final::Complete)
            break;
        // A final result without its line end is taken once the line has stayed quiet.
        if (final == AtReplies::Final::Unterminated && !WaitForBytes(kSettleMs))
            break;
        if (final == AtReplies::Final::Unterminated)
            continue;
        const qint64 left = budgetMs - clock.elapsed();
        if (left <= 0 || port_->lost())
            break;
        // Wake at the latest once a step so that events keep running on a long wait.
        WaitForBytes(static_cast<int>(qMin<qint64>(left, stepMs_)));
        if (port_->lost())
            break;
    }
    error_ = AtReplies::OutcomeOf(reply, awaited);
    return reply;
}

QString MobilePhone::SMSCnumber() {
    const QString reply = SendCommand(QStringLiteral("AT+CSCA?"), kAwaitOk, 3);
    smscNumber_ = AtReplies::SmscNumber(reply);
    return smscNumber_;
}

QString MobilePhone::Model() {
    QString replies = SendCommand(QStringLiteral("AT+CGMI"), kAwaitOk, 3);
    replies += SendCommand(QStringLiteral("AT+CGMM"), kAwaitOk, 3);
    return AtReplies::ModelName(replies);
}

void MobilePhone::Reset() {
    for (const char* command : {"ATZ", "ATH", "ATZ"})
        SendCommand(QLatin1String(command), kAwaitOk, 3);
}

void MobilePhone::MakeCall(const QString& number) {
    SendCommand(QStringLiteral("ATDT") + number + QLatin1Char(';'), kAwaitOk, 3);
}

qint32 MobilePhone::PhoneState() {
    const QString reply = SendCommand(QStringLiteral("AT+CPAS"), kAwaitOk, 3);
    phoneState_ =
        static_cast<qint32>(LeadingNumber(AtReplies::ParseAnswer(reply, QStringLiteral("+CPAS:"))));
    return phoneState_;
}

qint16 MobilePhone::ReadLevel(const QString& command, LevelParser parse) {
    answer_.clear();
    const QString reply = SendCommand(command, kAwaitOk, 5);
    const AtReplies::Level level = parse(reply, error_);
    answer_ = level.text;
    return level.level;
}

qint16 MobilePhone::AntennaLevel() {
    return ReadLevel(QStringLiteral("AT+CSQ"), AtReplies::AntennaLevel);
}

qint16 MobilePhone::BatteryLevel() {
    return ReadLevel(QStringLiteral("AT+CBC"), AtReplies::BatteryLevel);
}

void MobilePhone::ReadAllMsg(qint32 msgType) {
    answer_.clear();
    answer_ = SendCommand(QStringLiteral("AT+CMGL=") + QString::number(msgType), kAwaitOk, 30);
}

void MobilePhone::ReadMessage(qint16 msgNumber) {
    answer_.clear();
    answer_ = SendCommand(QStringLiteral("AT+CMGR=") + QString::number(msgNumber), kAwaitOk, 3);
}

QStringList MobilePhone::PhoneInfo() {
    QStringList replies;
    for (const char* command : {"AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CGSN", "AT+CSCA?"})
        replies << SendCommand(QLatin1String(command), kAwaitOk, 3);
    return replies;
}

void MobilePhone::SendMsg(const QString& message, const QString& msgLength) {
    answer_ = SendCommand(QStringLiteral("AT+CMGS=") + msgLength, QStringLiteral(">"), 2);
    if (error_ != kOkWord)
        return;
    SendCommand(message + QChar(26), kAwaitOk, 10);
}

bool MobilePhone::DeleteMsg(const QString& msgNumber) {
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return true;
    if (msgNumber.isEmpty())
        return false;
    ChoseStorage(msgNumber.at(0) == QLatin1Char('1') ? 1 : 2);
    // Some phones need a moment after switching storage before they delete.
    pacer_.pause(stepMs_ / 2);
    pacer_.letEventsRun();
    const QString index = QString::number(LeadingNumber(msgNumber.mid(1)));
    const QString reply = SendCommand(QStringLiteral("AT+CMGD=") + index, kAwaitOk, 6);
    return reply.contains(kOkWord);
}

bool MobilePhone::Init() {
    SendCommand(QStringLiteral("ATZ"), kAwaitOk, 2);
    return error_ == kOkWord;
}

void MobilePhone::ChoseStorage(qint32 storage) {
    answer_.clear();
    SendCommand(AtReplies::StorageCommand(storage), kAwaitOk, 2);
}
