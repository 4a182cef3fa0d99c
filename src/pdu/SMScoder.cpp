#include "pdu/SMScoder.h"

#include <QDir>
#include <QFileInfo>

#include "files/LogLines.h"
#include "pdu/PduEncoder.h"
#include "pdu/PduPrimitives.h"
#include "pdu/Transliterate.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

namespace {

QString RawPduLogPath() {
    return QFileInfo(INIFileName).absoluteDir().filePath(QStringLiteral("NewLog.txt"));
}

}  // namespace

QString ReportStatusWord(int status) {
    switch (status) {
        case 0x00:
            return ReadSetting(Setting::ReportDelivered);
        case 0x22:
            return ReadSetting(Setting::ReportSepended);
        case 0x46:
            return ReadSetting(Setting::ReportDeleted);
        case 0x41:
            return ReadSetting(Setting::ReportWrong);
        default:
            break;
    }
    if (status >= 0 && status <= 0x1F)
        return ReadSetting(Setting::ReportDelivered);
    if (status >= 0x20 && status <= 0x3F)
        return ReadSetting(Setting::ReportSepended);
    return ReadSetting(Setting::ReportWrong);
}

SMScoder::SMScoder() : SMScoder(Clock::system()) {}

SMScoder::SMScoder(const Clock& clock) : clock_(&clock) {}

void SMScoder::setReport(long value) {
    report_ = QString::number(value);
}

QString SMScoder::Report() const {
    return report_;
}

QString SMScoder::lastError() const {
    return EncodeErrorText(lastError_);
}

EncodeError SMScoder::lastErrorCode() const {
    return lastError_;
}

int SMScoder::NextReference() {
    if (longId_ == 0) {
        longId_ = static_cast<qint16>(SettingLeadingNumber(Setting::SmsLongID));  // 0 to 255
    }
    ++longId_;
    if (longId_ >= 256)
        longId_ = 1;
    WriteSetting(Setting::SmsLongID, QString::number(longId_));
    return longId_;
}

QStringList SMScoder::PrepareSend(const QString& phone, QString& text, const QString& smsc,
                                  qint16 validity) {
    // Every PDU carries the relative validity "AA" (four days); the record's own value is not
    // used.
    Q_UNUSED(validity);
    lastError_ = EncodeError::None;
    const CodingOverride destination = ParseCodingOverride(phone);
    if (ReadSetting(Setting::SmsToLatin) == QLatin1String("1"))
        text = Transliterate(text);
    const SmsCoding coding = ChooseDCS(text);

    SubmitFields fields;
    fields.smscDigits = NormaliseNumber(smsc);
    const std::optional<WrittenNumber> written = ParseWrittenNumber(destination.number);
    if (written)
        fields.destinationDigits = DestinationDigits(*written);
    fields.dcs = destination.dcs ? OverriddenDcs(*destination.dcs, coding) : DcsOctet(coding);
    const QList<TextPart> parts = SplitIntoParts(text, coding);
    if (!written)
        lastError_ = EncodeError::NotANumber;
    else if (fields.destinationDigits.size() > kMaxAddressDigits)
        lastError_ = EncodeError::TooManyDigits;
    else if (parts.size() > kMaxParts)
        lastError_ = EncodeError::TooManyParts;
    else if (fields.smscDigits.size() > kMaxAddressDigits)
        lastError_ = EncodeError::SmscNumber;
    if (lastError_ != EncodeError::None)
        return {};

    const bool report = report_ == QLatin1String("31");
    const bool concatenated = parts.size() > 1;
    const int reference = concatenated ? NextReference() : 0;
    QStringList elements;
    for (int i = 0; i < parts.size(); ++i) {
        const QStringView partText = QStringView(text).mid(parts[i].start, parts[i].length);
        std::optional<ConcatInfo> concat;
        if (concatenated)
            concat = ConcatInfo{reference, int(parts.size()), i + 1};
        fields.firstOctet =
            SubmitFirstOctet(report, concatenated, i + 1 == parts.size(), reportEveryPart_);
        fields.userData = TextToPDU(partText, coding, concat);
        elements << SubmitElement(fields);
    }
    return elements;
}

void SMScoder::setRowSMS(const QString& pdu) {
    if (pdu.isEmpty())
        return;
    rowSMS_ = pdu;
    DecodePDU();
}

QString SMScoder::RowSMS() const {
    return rowSMS_;
}

QString SMScoder::PlainSMS() const {
    return plainSMS_;
}

const DecodedPdu& SMScoder::Decoded() const {
    return decoded_;
}

void SMScoder::ComposeReportSentence() {
    static const QString kLead = QStringLiteral("Отчет о доставке: ");
    static const QString kDate = QStringLiteral(" Дата: ");
    const QChar blank = QLatin1Char(' ');
    const QString word = ReportStatusWord(decoded_.status);
    AssignJoined(decoded_.text, {kLead, word, QStringView(&blank, 1), decoded_.number, kDate,
                                 decoded_.dischargeTime});
}

QString SMScoder::CurrentStamp() {
    // Formatting the local time costs more than the whole decode: once per second is enough.
    const qint64 second = clock_->msecsSinceEpoch() / 1000;
    if (second != stampSecond_) {
        stamp_ = TimeStamp(clock_->now());
        stampSecond_ = second;
    }
    return stamp_;
}

void SMScoder::DecodePDU() {
    if (!plainSMS_.isEmpty())
        plainSMS_.resize(0);
    DecodePdu(rowSMS_, decoded_);
    if (decoded_.kind == PduKind::StatusReport)
        ComposeReportSentence();
    // A listed SMS-SUBMIT is a message this phone sent or keeps to send, not one received.
    const bool received = !decoded_.text.isEmpty() && decoded_.kind != PduKind::Submit;
    if (received) {
        const QChar tab = QLatin1Char('\t');
        AssignJoined(plainSMS_, {CurrentStamp(), QStringView(&tab, 1), decoded_.number,
                                 QStringView(&tab, 1), decoded_.text});
    }
    // An undecodable PDU goes to the raw log too: it is what the diagnosis needs most.
    if ((received || decoded_.kind == PduKind::Invalid) &&
        ReadSetting(Setting::TestSMS) == QLatin1String("1"))
        AppendLine(RawPduLogPath(), CurrentStamp() + QLatin1Char(' ') + rowSMS_);
}

bool SMScoder::FirstSightOfUndecodable(const QString& storageKey) {
    // A phone holds a few hundred messages at most; the bound only guards a very long run.
    constexpr int kMaxRemembered = 4096;
    if (decoded_.kind != PduKind::Invalid || rowSMS_.isEmpty())
        return false;
    const QString seen = storageKey + QLatin1Char('\t') + rowSMS_;
    if (undecodableSeen_.contains(seen))
        return false;
    if (undecodableSeen_.size() >= kMaxRemembered)
        undecodableSeen_.clear();
    undecodableSeen_.insert(seen);
    return true;
}
