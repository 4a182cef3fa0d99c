// Several gateways on one send table. A gateway with a name (Options/GatewayId) claims the rows
// it sends and loads only those; it renews a row's claim just before the row goes to the phone,
// so a row reaches a phone only under a live claim; and it gives its rows back when its modem has
// failed Options/FailoverAfter cycles in a row, or when it stops.
//
// A failed cycle is one with records waiting in which the phone could not be reached (the port
// did not open, the phone did not answer) or the port was lost before the phone accepted any
// message. A phone that answers but refuses messages has not failed: its refusals use up the
// rows' attempts as they do with claims off, so those rows end as 3 here, not elsewhere.
#include <algorithm>

#include "app/Gateway.h"
#include "app/MessageText.h"
#include "db/AdoClass.h"
#include "db/Claims.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "settings/Settings.h"

namespace {

ClaimTerms Terms(int batch = 0) {
    ClaimTerms terms;
    terms.gateway = ReadSetting(Setting::OptionsGatewayId).trimmed();
    terms.batch = batch;
    terms.leaseSecs = std::max(1, SettingNumber(Setting::OptionsClaimLease));
    return terms;
}

bool IsWaiting(const MsgToSend& msg) {
    return msg.Status() == MsgToSend::StatusLoaded;
}

}  // namespace

bool Gateway::ClaimsOn() const {
    return !ReadSetting(Setting::OptionsGatewayId).trimmed().isEmpty();
}

void Gateway::ClaimAndLoadSendRows() {
    // Mode 3 has not woken the phone yet; a phone that does not answer takes no new rows.
    if (!phoneReady_ && mode_ == ModePhoneNotRead)
        phoneReady_ = OpenPhoneForSending();
    int held = 0;
    for (int pos = 1; pos <= sending_.count(); ++pos)
        held += IsWaiting(sending_.item(pos)) ? 1 : 0;
    const int batch = std::max(1, SettingNumber(Setting::OptionsClaimBatch));
    const std::optional<QStringList> rows =
        database_->ClaimSend(Terms(phoneReady_ ? std::max(0, batch - held) : 0));
    if (!rows)
        return;
    if (!database_->Failed()) {
        // A waiting record whose row is no longer this gateway's: another took it after the
        // lease ran out, or it was done elsewhere.
        QStringList own;
        for (const QString& row : *rows)
            own << row.section(QChar(0), 0, 0);
        sending_.removeIf(
            [&own](const MsgToSend& msg) { return IsWaiting(msg) && !own.contains(msg.MsgID()); });
    }
    for (const QString& row : *rows)
        LoadSendRow(sending_, row);
}

std::optional<bool> Gateway::StillClaimed(const QString& msgId) {
    if (!ClaimsOn())
        return true;
    return database_->HoldClaim(Terms(), msgId);
}

void Gateway::NoteModemVerdict(ModemVerdict verdict) {
    if (verdict == ModemVerdict::Answered)
        failedModemCycles_ = 0;
    if (verdict != ModemVerdict::Failed)
        return;
    ++failedModemCycles_;
    if (failedModemCycles_ < std::max(1, SettingNumber(Setting::OptionsFailoverAfter)))
        return;
    WriteLog(LogTexts::ClaimsGivenBackLine(failedModemCycles_));
    failedModemCycles_ = 0;
    GiveClaimsBack();
}

void Gateway::GiveClaimsBack() {
    // Without the journal nobody knows what went out: everything stays held until the lease ends.
    if (!journal_->Ready())
        return;
    QStringList kept;
    const QHash<QString, Journal::Send>& sends = journal_->Sends();
    for (auto it = sends.cbegin(); it != sends.cend(); ++it) {
        bool isNumber = false;
        it.key().toLongLong(&isNumber);  // row keys stand unquoted in the statement
        if (isNumber && (it->accepted > 0 || it->inFlight > 0))
            kept << it.key();
    }
    if (!database_->ReleaseClaims(Terms(), kept))
        return;
    sending_.removeIf([&](const MsgToSend& msg) {
        if (!IsWaiting(msg) || kept.contains(msg.MsgID()))
            return false;
        // Begun but refused, nothing with the phone: its row waits again as before its claim.
        if (journal_->FindSend(msg.MsgID()))
            Journaled(journal_->WrittenBack(msg.MsgID(), MsgToSend::StatusWaitingInTable),
                      QStringLiteral("GiveClaimsBack"));
        return true;
    });
}
