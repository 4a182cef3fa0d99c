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
const QString kNoAnswer = QStringLiteral("No answer");

// A final line ended by CR alone, or a bare ">", gets this long for the rest of its line end;
// twice the gap of a line trickling one byte every 50 ms.
constexpr int kSettleMs = 100;
// A step of the exchange listens for a read of up to 257 ms and then pauses for the step: the
// budget of a step is 1.257 step lengths, the phone's whole listening time.
constexpr qint64 kListenPermillePerStep = 1257;
// Draining ends once the line has been quiet this long, and at the latest after the bound.
constexpr int kDrainQuietMs = 100;
constexpr qint64 kDrainMaxMs = 1000;

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
    pduMode_ = false;
    drainPending_ = false;
    portOpenFailure_.clear();
    if (portNumber_.isEmpty() || portSpeed_.isEmpty()) {
        portOpenFailure_ = QStringLiteral("No port or no speed is set");
        return false;
    }
    const std::string device = PlatformDeviceName(portNumber_.toStdString());
    const std::string mode = ModeString(portSpeed_.toStdString());
    const SerialPort::OpenResult result = port_->open(device, mode);
    if (result.ok())
        return true;
    const QString code = QString::number(result.code);
    const QString port = QStringLiteral("Port ") + QString::fromStdString(device);
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
        // A device that cannot be opened is logged by the caller, with this reason.
        case SerialPort::OpenStep::Busy:
            portOpenFailure_ = port + QStringLiteral(" is held by another program");
            return false;
        case SerialPort::OpenStep::Device:
        case SerialPort::OpenStep::Done:
            portOpenFailure_ = port + QStringLiteral(" cannot be opened. Error: ") + code;
            return false;
    }
    portOpenFailure_ = message;
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
    // A port that is not open (or a device that went away) can only end in "No answer".
    if (!port_->isOpen() || port_->lost()) {
        error_ = kNoAnswer;
        return QString();
    }
    if (drainPending_)
        DrainLateReplies();
    WritePort(command + QLatin1Char('\r'));
    const QString reply =
        CollectReply(qint64(qMax<qint16>(steps, 1)) * stepMs_ * kListenPermillePerStep / 1000);
    error_ = port_->lost() ? kNoAnswer : AtReplies::OutcomeOf(reply, awaited);
    return reply;
}

QString MobilePhone::CollectReply(qint64 budgetMs) {
    QElapsedTimer clock;
    clock.start();
    QString reply;
    AtReplies::FinalSearch search;
    while (!port_->lost()) {
        PollPort();
        reply += TakeBuffer();
        search = AtReplies::FindFinal(reply, search.lineStart);
        if (search.final == AtReplies::Final::Complete)
            return reply;
        if (search.final == AtReplies::Final::Unterminated) {
            if (!WaitForBytes(kSettleMs) && !port_->lost())
                return reply;
            continue;
        }
        const qint64 left = budgetMs - clock.elapsed();
        if (left <= 0)
            break;
        // Wake at the latest once a step so that events keep running on a long wait.
        WaitForBytes(static_cast<int>(qMin<qint64>(left, stepMs_)));
    }
    // The rest of this reply may still come; it must not be taken for the next one.
    drainPending_ = true;
    return reply;
}

void MobilePhone::DrainLateReplies() {
    drainPending_ = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kDrainMaxMs) {
        if (port_->read().empty() && !WaitForBytes(kDrainQuietMs))
            break;
    }
    buffer_.clear();
}

void MobilePhone::WriteEscape() {
    port_->write("\x1b\r");
    drainPending_ = true;
}

bool MobilePhone::SetPduMode() {
    SendCommand(QStringLiteral("AT+CMGF=0"), kAwaitOk, 2);
    pduMode_ = error_ == kOkWord;
    return pduMode_;
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
    pduMode_ = false;  // ATZ restores the stored profile, which may be text mode
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
    lastReference_ = -1;
    // In text mode the length would be taken for a number and the PDU sent to it as text.
    if (!pduMode_ && !SetPduMode()) {
        answer_.clear();
        return;
    }
    answer_ = SendCommand(QStringLiteral("AT+CMGS=") + msgLength, QStringLiteral(">"), 2);
    if (error_ != kOkWord) {
        // A prompt still to come would hold the phone waiting for message text.
        WriteEscape();
        return;
    }
    const QString result = SendCommand(message + QChar(26), kAwaitOk, 10);
    if (error_ == kOkWord)
        lastReference_ = AtReplies::MessageReference(result);
}

bool MobilePhone::DeleteMsg(const QString& msgNumber) {
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return true;
    if (msgNumber.isEmpty())
        return false;
    // Refused, the index would name a message of the storage still selected.
    if (!ChoseStorage(msgNumber.at(0) == QLatin1Char('1') ? 1 : 2))
        return false;
    // Some phones need a moment after switching storage before they delete.
    pacer_.pause(stepMs_ / 2);
    pacer_.letEventsRun();
    const QString index = QString::number(LeadingNumber(msgNumber.mid(1)));
    SendCommand(QStringLiteral("AT+CMGD=") + index, kAwaitOk, 6);
    return error_ == kOkWord;
}

bool MobilePhone::Init() {
    WriteEscape();
    SendCommand(QStringLiteral("ATZ"), kAwaitOk, 2);
    return error_ == kOkWord && SetPduMode();
}

bool MobilePhone::ChoseStorage(qint32 storage) {
    answer_.clear();
    SendCommand(AtReplies::StorageCommand(storage), kAwaitOk, 2);
    return error_ == kOkWord;
}
