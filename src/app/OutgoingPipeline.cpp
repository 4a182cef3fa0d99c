// Messages out of the send table and through the phone: load the waiting rows once, send each
// record that waits, and write the final status back into its row.
#include <algorithm>

#include "app/CodecRefusals.h"
#include "app/Gateway.h"
#include "app/MessageText.h"
#include "db/AdoClass.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "pdu/PduEncoder.h"
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
    if (ClaimsOn())
        return ClaimAndLoadSendRows();
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
    const ModemVerdict verdict = SendWaitingRecords();
    if (ClaimsOn())
        NoteModemVerdict(verdict);
}

Gateway::ModemVerdict Gateway::SendWaitingRecords() {
    if (sending_.isEmpty())
        return ModemVerdict::Idle;
    bool anyWaiting = false;
    for (int pos = 1; pos <= sending_.count() && !anyWaiting; ++pos)
        anyWaiting = Waiting(sending_.item(pos));
    if (!anyWaiting)
        return ModemVerdict::Idle;
    // A phone that could not be reached in this cycle would only use up attempts.
    if (!phoneReady_ && mode_ == ModePhoneNotRead)
        phoneReady_ = OpenPhoneForSending();
    if (!phoneReady_)
        return ModemVerdict::Failed;
    ModemVerdict verdict = ModemVerdict::Idle;
    for (int pos = 1; pos <= sending_.count() && !StopCutsShort(); ++pos) {
        MsgToSend& msg = sending_.item(pos);
        if (!Waiting(msg))
            continue;
        const std::optional<bool> claimed = StillClaimed(msg.MsgID());
        if (!claimed)
            break;
        if (!*claimed)
            continue;
        switch (SendOneMessage(msg)) {
            case SendOutcome::Sent:
                lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
                msg.setStatus(MsgToSend::StatusSent);
                verdict = ModemVerdict::Answered;
                break;
            case SendOutcome::Refused:
                verdict = ModemVerdict::Answered;
                if (!Waiting(msg))  // refused for good: marked 3 at once, no attempt used
                    break;
                msg.setSendAttempts(static_cast<qint16>(msg.SendAttempts() + 1));
                WriteLog(LogTexts::CantSendLine(msg.SendAttempts(), msg.MsgID()));
                lamps_.SetAlarm(AlarmPhone, AlarmRaised);
                break;
            case SendOutcome::PortLost:
                // The modem went away: no row can be sent now, and none uses an attempt for it.
                lamps_.SetAlarm(AlarmPhone, AlarmRaised);
                return verdict == ModemVerdict::Answered ? verdict : ModemVerdict::Failed;
            case SendOutcome::NotBegun:  // the journal could not record it (logged)
            case SendOutcome::Interrupted:
                return verdict;
        }
    }
    return verdict;
}

Gateway::SendOutcome Gateway::SendOneMessage(MsgToSend& msg) {
    static const QString kProcedure = QStringLiteral("SendMsgFromSendCollection");
    coder_->setReport(ReadSetting(Setting::SmsReport) != QLatin1String("0") ? kReportRequested
                                                                            : kNoReport);
    QString text = msg.MsgText();
    QStringList parts = coder_->PrepareSend(msg.Phone(), text, smsc_, msg.ValPeriod());
    if (parts.isEmpty()) {
        const QString refused = RefuseIfNeverSendable(msg, *coder_);
        if (!refused.isEmpty())
            WriteLog(refused);
        return SendOutcome::Refused;
    }
    const QString& id = msg.MsgID();
    // Parts the phone accepted earlier are never sent again; the rest goes out under the
    // reference the first ones carried, so that the receiving phone joins them.
    int first = 0;
    const Journal::Send* begun = journal_->FindSend(id);
    if (begun && begun->parts == parts.size()) {
        first = begun->accepted;
        for (int part = first; part < parts.size() && parts.size() > 1; ++part)
            parts[part] = WithConcatReference(parts[part], begun->reference);
    } else if (!Journaled(journal_->SendBegun(id, int(parts.size()), ConcatReferenceOf(parts[0])),
                          kProcedure)) {
        return SendOutcome::NotBegun;
    }
    for (int part = first; part < parts.size(); ++part) {
        if (part > first && StopCutsShort())
            return SendOutcome::Interrupted;
        if (!Journaled(journal_->PartOffered(id, part + 1), kProcedure))
            return SendOutcome::NotBegun;
        const EncodedPart p = SplitEncodedPart(parts[part]);
        phone_->SendMsg(p.pdu, p.length);
        const bool accepted = phone_->Error() == kOk;
        Journaled(
            accepted ? journal_->PartAccepted(id, part + 1) : journal_->PartRefused(id, part + 1),
            kProcedure);
        if (!accepted)
            return phone_->PortLost() ? SendOutcome::PortLost : SendOutcome::Refused;
    }
    return SendOutcome::Sent;
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
            Journaled(journal_->WrittenBack(msg.MsgID(), tableStatus),
                      QStringLiteral("UpdateSentMsgInBase"));
            msg.setStatus(MsgToSend::StatusWrittenBack);
            sending_.remove(pos);
            --pos;
        } else {
            WriteLog(tableStatus == MsgToSend::StatusSent ? LogTexts::kUpdateSentFailed
                                                          : LogTexts::kUpdateNotSentFailed);
            lamps_.SetAlarm(AlarmDatabase, AlarmRaised);
            if (database_->Stalled())
                return;  // the server is locked or timed out: the rest waits for the next cycle
        }
    }
}
