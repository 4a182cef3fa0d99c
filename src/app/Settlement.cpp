// What the journal of work in flight holds from an earlier run becomes records again, and what a
// stop leaves pending is tried once more before the program ends.
#include "app/Gateway.h"
#include "db/AdoClass.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

bool Gateway::Journaled(bool written, const QString& procedure) {
    if (written)
        return true;
    if (!journalFailureLogged_)
        WriteLog(LogTexts::JournalFailedLine(procedure, journal_->Error()));
    journalFailureLogged_ = true;
    lamps_.SetAlarm(AlarmFiles, AlarmRaised);
    return false;
}

void Gateway::SettleJournal() {
    static const QString kProcedure = QStringLiteral("SettleJournal");
    journalFailureLogged_ = false;
    if (!journal_->Ready() && !Journaled(journal_->Load(), kProcedure))
        return;
    const bool sendAgain = ReadSetting(Setting::OptionsResendUncertain) == QLatin1String("1");
    const QHash<QString, Journal::Send> sends = journal_->Sends();  // settling changes it
    for (auto it = sends.cbegin(); it != sends.cend(); ++it) {
        const QString& id = it.key();
        if (it->inFlight > 0) {
            // Killed after the part went out, before the phone answered: sent or not, nobody
            // knows. Sending it again may deliver it twice; by default it counts as sent.
            WriteLog(LogTexts::SendUncertainLine(sendAgain, id));
            lamps_.SetAlarm(AlarmPhone, AlarmRaised);
            Journaled(sendAgain ? journal_->PartRefused(id, it->inFlight)
                                : journal_->PartUncertain(id, it->inFlight),
                      kProcedure);
        }
        const Journal::Send* settled = journal_->FindSend(id);
        if (!settled || settled->accepted < settled->parts)
            continue;  // a long message cut short goes on once its row is loaded again
        // Every part is with the phone: the row is written back as sent, never sent again.
        MsgToSend* held = sending_.find(id);
        if (held) {
            held->setStatus(MsgToSend::StatusSent);
            continue;
        }
        MsgToSend sent;
        sent.setMsgID(id);
        sent.setStatus(MsgToSend::StatusSent);
        sending_.add(sent);
    }
    Journaled(journal_->Compact(), kProcedure);
}

bool Gateway::DeletesPending() const {
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return false;
    for (int pos = 1; pos <= received_.count(); ++pos) {
        const ReceivedMsg& msg = received_.item(pos);
        if (msg.WrittenToDbase() && msg.Phone() != ReceivedMsg::DeletedMark())
            return true;
    }
    return false;
}

void Gateway::SettleBeforeExit() {
    exitSettled_ = true;
    finishing_ = true;
    if (!sending_.isEmpty() && database_->Connect()) {
        Guarded([this] { UpdateSentMsgInBase(); });
        if (ClaimsOn())
            Guarded([this] { GiveClaimsBack(); });
        database_->CloseConnection();
    }
    // A delete needs this moment's listing, so only a phone that answers gets one.
    if (DeletesPending() && phone_->PortOpen() && phone_->Init()) {
        Guarded([this] {
            listed_.clear();
            ListStorage(1);
            ListStorage(2);
            DeleteMsgFromRecCollection();
        });
    }
    phone_->ClosePort();
    finishing_ = false;
}
