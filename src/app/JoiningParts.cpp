// The parts of a long received message joined into one row (Options/JoinParts "1"). A part goes
// into the journal, synced to the disk, before it may leave the phone, so that a kill at any
// moment loses none; the row made of it settles it in the journal once stored.
#include "app/Gateway.h"
#include "app/MessageText.h"
#include "app/PartJoining.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "pdu/SMScoder.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

#include <utility>

namespace {
// Beyond this many, the digests of parts stored in this run are forgotten: they only guard
// against a copy listed again later.
constexpr int kStoredDigestsKept = 4096;
const QString kListing = QStringLiteral("ReadMsgFromPhone");
}  // namespace

bool Gateway::JoiningOn() const {
    return ReadSetting(Setting::OptionsJoinParts) == QLatin1String("1");
}

bool Gateway::TakePartToWait(const QString& key, const QString& digest,
                             const QString& keyAndDecoded) {
    const DecodedPdu& pdu = coder_->Decoded();
    const PduConcat& concat = pdu.concat;
    if (pdu.kind != PduKind::Deliver || !pdu.hasConcat || concat.total < 2 || concat.sequence < 1 ||
        concat.sequence > concat.total)
        return false;
    // An unread journal cannot keep it; stored already, only its delete is left; held on its
    // own, it is stored on its own.
    if (!journal_->Ready() || journal_->StoredMessages().value(key) == digest ||
        (received_.contains(key) && heldDigests_.value(key) == digest))
        return false;
    const bool known =
        journal_->WaitingParts().contains(digest) || partsStoredThisRun_.contains(digest);
    if (!known) {
        const ReceivedFields fields = SplitReceived(keyAndDecoded);
        const Journal::WaitingPart part{digest,          fields.phone,    concat.reference,
                                        concat.total,    concat.sequence, clock_.msecsSinceEpoch(),
                                        fields.dateTime, fields.text};
        if (!Journaled(journal_->PartWaiting(part), kListing))
            return false;  // unrecorded, it is stored on its own
    }
    // Its text is in the journal: like a stored message, it only waits for its delete, and that
    // comes at once, so that waiting parts never fill the phone's storage.
    Journaled(journal_->Stored(key, digest), kListing);
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0") || !phone_->DeleteMsg(key))
        return false;  // its record is deleted as a stored message's
    lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
    Journaled(journal_->Deleted(key), kListing);
    return true;
}

void Gateway::JoinWaitingParts() {
    if (!journal_->Ready() || journal_->WaitingParts().isEmpty())
        return;
    // Parts held in a row not yet stored wait for that row, not for another.
    QSet<QString> held;
    for (const QStringList& digests : std::as_const(releasedDigests_))
        for (const QString& digest : digests)
            held.insert(digest);
    QList<Journal::WaitingPart> open;
    for (const Journal::WaitingPart& part : journal_->WaitingParts())
        if (!held.contains(part.digest))
            open << part;
    const qint64 timeoutMs = qint64{SettingNumber(Setting::OptionsJoinTimeout)} * 1000;
    const JoinPlan plan = PlanJoins(open, clock_.msecsSinceEpoch(), timeoutMs, JoiningOn());
    for (const ReleasedText& row : plan.joined)
        HoldReleased(row);
    for (const TimedOutMessage& message : plan.timedOut) {
        for (const ReleasedText& row : message.parts)
            HoldReleased(row);
        WriteLog(LogTexts::JoinTimedOutLine(message.sender, message.reference));
    }
}

void Gateway::HoldReleased(const ReleasedText& row) {
    ReceivedMsg msg;
    msg.setMsgID(row.key);
    msg.setDateTime(row.dateTime);
    msg.setPhone(row.sender);
    msg.setMsgText(row.text);
    if (received_.add(msg))
        releasedDigests_.insert(row.key, row.digests);
}

void Gateway::SettleReleasedParts(ReceivedMsg& msg) {
    const QStringList digests = releasedDigests_.take(msg.MsgID());
    if (digests.isEmpty())
        return;
    // A kill before this line stores the row again after the restart, as for a single message.
    Journaled(journal_->PartsStored(digests), QStringLiteral("CopyFromRecCollectionToDbase"));
    if (partsStoredThisRun_.size() > kStoredDigestsKept)
        partsStoredThisRun_.clear();
    for (const QString& digest : digests)
        partsStoredThisRun_.insert(digest);
    msg.setPhone(ReceivedMsg::DeletedMark());  // it has no phone slot: nothing is left to do
}

bool Gateway::IsWaitingPart(const ReceivedMsg& msg) const {
    const QString digest = heldDigests_.value(msg.MsgID());
    return !digest.isEmpty() && journal_ &&
           (journal_->WaitingParts().contains(digest) || partsStoredThisRun_.contains(digest));
}
