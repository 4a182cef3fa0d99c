// Messages out of the send table and through the phone: load the waiting rows once, send each
// record that waits, and write the final status back into its row.
#include <algorithm>

#include "app/CodecRefusals.h"
#include "app/Gateway.h"
#include "app/MessageText.h"
#include "db/AdoClass.h"
#include "files/LogTexts.h"
#include "pdu/SMScoder.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

namespace {
const QString kOk = QStringLiteral("OK");
constexpr long kReportRequested = 31;
constexpr long kNoReport = 11;
constexpr qint64 kMinSendAttempts = 2;

bool Waiting(const MsgToSend& msg) {
    return msg.Status() == MsgToSend::StatusLoaded;
}
}  // namespace

void Gateway::CopyFromDbaseToSendCollection() {
    const std::optional<QStringList> rows = database_->CheckSend();
    if (!rows)
        return;
    for (const QString& row : *rows)
        LoadSendRow(sending_, row);
}

bool Gateway::OpenPhoneForSending() {
    if (!phone_->PortOpen()) {
        WriteLog(LogTexts::kCantOpenPortSendMsg);
        lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        return false;
    }
    pacer_.pause(100);
    if (!phone_->Init()) {
        phone_->ClosePort();
        WriteLog(LogTexts::kNoAnswerSendMsg);
        lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        return false;
    }
    lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
    return true;
}

void Gateway::SendMsgFromSendCollection() {
    if (sending_.isEmpty())
        return;
    bool anyWaiting = false;
    for (int pos = 1; pos <= sending_.count() && !anyWaiting; ++pos)
        anyWaiting = Waiting(sending_.item(pos));
    if (!anyWaiting)
        return;
    // A phone that could not be reached in this cycle would only use up attempts.
    if (!phoneReady_ && mode_ == ModePhoneNotRead)
        phoneReady_ = OpenPhoneForSending();
    if (!phoneReady_)
        return;
    for (int pos = 1; pos <= sending_.count(); ++pos) {
        MsgToSend& msg = sending_.item(pos);
        if (!Waiting(msg))
            continue;
        if (SendOneMessage(msg)) {
            lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
            msg.setStatus(MsgToSend::StatusSent);
        } else if (Waiting(msg)) {
            msg.setSendAttempts(static_cast<qint16>(msg.SendAttempts() + 1));
            WriteLog(LogTexts::CantSendLine(msg.SendAttempts(), msg.MsgID()));
            lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        }
    }
}

bool Gateway::SendOneMessage(MsgToSend& msg) {
    coder_->setReport(ReadSetting(Setting::SmsReport) != QLatin1String("0") ? kReportRequested
                                                                            : kNoReport);
    QString text = msg.MsgText();
    const QStringList parts = coder_->PrepareSend(msg.Phone(), text, smsc_, msg.ValPeriod());
    if (parts.isEmpty()) {
        const QString refused = RefuseIfNeverSendable(msg, *coder_);
        if (!refused.isEmpty())
            WriteLog(refused);
        return false;
    }
    // A long message is sent only as a whole: the first part the phone refuses ends the attempt.
    for (const QString& part : parts) {
        const EncodedPart p = SplitEncodedPart(part);
        phone_->SendMsg(p.pdu, p.length);
        if (phone_->Error() != kOk)
            return false;
    }
    return true;
}

void Gateway::UpdateSentMsgInBase() {
    if (sending_.isEmpty())
        return;
    for (int pos = 1; pos <= sending_.count(); ++pos) {
        MsgToSend& msg = sending_.item(pos);
        qint16 tableStatus = MsgToSend::StatusSent;
        if (msg.Status() != MsgToSend::StatusSent) {
            const qint64 limit =
                std::max(kMinSendAttempts, SettingLeadingNumber(Setting::OptionsSendAttempts));
            if (msg.Status() != MsgToSend::StatusRefused && msg.SendAttempts() < limit)
                continue;
            tableStatus = MsgToSend::StatusNotSent;
        }
        if (database_->UpdateSend(msg.MsgID(), tableStatus)) {
            lamps_.SetAlarm(AlarmDatabase, AlarmSuccess);
            msg.setStatus(MsgToSend::StatusWrittenBack);
            sending_.remove(pos);
            --pos;
        } else {
            WriteLog(tableStatus == MsgToSend::StatusSent ? LogTexts::kUpdateSentFailed
                                                          : LogTexts::kUpdateNotSentFailed);
            lamps_.SetAlarm(AlarmDatabase, AlarmRaised);
        }
    }
}
