// Messages out of the phone and into the receive table: list both storages, keep each message
// once, store it, delete it from the phone only once stored, then forget it.
#include "app/CodecRefusals.h"
#include "app/Gateway.h"
#include "app/MessageText.h"
#include "db/AdoClass.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "pdu/SMScoder.h"
#include "phone/AtReplies.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

namespace {
const QString kOk = QStringLiteral("OK");
constexpr int kListAll = 4;
constexpr int kStorages[] = {1, 2};
// A record whose message has left the phone carries its key followed by this mark, so that no
// delete ever reaches the phone for it.
const QChar kDetachedMark = QLatin1Char('#');

bool IsDetached(const ReceivedMsg& msg) {
    return msg.MsgID().contains(kDetachedMark);
}
bool IsDeletedFromPhone(const ReceivedMsg& msg) {
    return msg.Phone() == ReceivedMsg::DeletedMark();
}
// The storage a key names: "1" the phone memory, any other first character the SIM.
int StorageOf(const QString& key) {
    return key.startsWith(QLatin1Char('1')) ? 1 : 2;
}
}  // namespace

bool Gateway::CopyFromPhoneToRecCollection() {
    if (!phone_->PortOpen()) {
        Show(QStringLiteral("Порт не открыт"));
        pacer_.pause(1000);
        pacer_.pause(1000);
        WriteLog(LogTexts::kCantOpenPortCopyFromPhone);
        lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        return false;
    }
    lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
    pacer_.pause(100);
    const bool answered = phone_->Init();
    if (answered) {
        lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
        view_.showBatteryLevel(phone_->BatteryLevel());
        view_.showAntennaLevel(phone_->AntennaLevel());
        ReadMsgFromPhone();
    } else {
        Show(QStringLiteral("Нет ответа от телефона"));
        phone_->ClosePort();
        WriteLog(LogTexts::kNoAnswerCopyFromPhone);
        lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        pacer_.pause(1000);
        pacer_.pause(1000);
    }
    pacer_.pause(1000);
    return answered;
}

void Gateway::ReadMsgFromPhone() {
    for (const int storage : kStorages) {
        if (StopCutsShort())
            return;
        if (ListStorage(storage))
            ForgetWhatLeftThePhone(storage);
    }
}

bool Gateway::ListStorage(int storage) {
    phone_->ChoseStorage(storage);
    // A refused selection leaves the phone on the storage it had: listing now would read that
    // one under this storage's keys.
    if (phone_->Error() != kOk) {
        WriteLog(LogTexts::StorageRefusedLine(storage));
        lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        return false;
    }
    pacer_.letEventsRun();
    pacer_.letEventsRun();
    phone_->ReadAllMsg(kListAll);
    const bool complete = phone_->Error() == kOk;
    const bool joining = JoiningOn();
    for (const AtReplies::ListedMessage& listed : AtReplies::ListedMessages(phone_->Answer())) {
        const QString key = QString::number(storage) + QString::number(listed.index);
        const QString digest = Journal::Digest(listed.pdu);
        listed_.insert(key, digest);
        coder_->setRowSMS(listed.pdu);
        const QString decoded = coder_->PlainSMS();
        NoteStatusReport(digest);
        if (!decoded.isEmpty()) {
            const QString line = key + QLatin1Char('\t') + CleanText(decoded);
            if (!joining || !TakePartToWait(key, digest, line))
                AddToRecCollection(line, digest);
            continue;
        }
        if (IsStoredSubmit(listed.pdu)) {
            RemoveStoredSubmit(key, listed.pdu);
            continue;
        }
        // An unreadable PDU stays in the phone; the operator hears of it once.
        const QString undecodable = UndecodablePduText(*coder_, key);
        if (!undecodable.isEmpty()) {
            WriteLog(undecodable);
            lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        }
    }
    return complete;
}

void Gateway::RemoveStoredSubmit(const QString& key, const QString& pdu) {
    // Nothing to store: the line keeps its hex, and the slot is freed for arriving messages.
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return;
    WriteLog(LogTexts::StoredSubmitLine(key, pdu));
    if (phone_->DeleteMsg(key))
        return;
    WriteLog(LogTexts::CantDeleteLine(key));
    lamps_.SetAlarm(AlarmPhone, AlarmRaised);
}

void Gateway::ForgetWhatLeftThePhone(int storage) {
    const auto inStorage = [storage](const QString& key) {
        return StorageOf(key) == storage && !key.contains(kDetachedMark);
    };
    const auto gone = [this](const QString& key, const QString& digest) {
        return listed_.value(key) != digest;
    };
    received_.removeIf([&](const ReceivedMsg& msg) {
        const QString& key = msg.MsgID();
        const bool leave =
            msg.WrittenToDbase() && inStorage(key) && gone(key, heldDigests_.value(key));
        if (leave)
            heldDigests_.remove(key);
        return leave;
    });
    const QHash<QString, QString> stored = journal_->StoredMessages();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (inStorage(it.key()) && gone(it.key(), it.value()))
            Journaled(journal_->Deleted(it.key()), QStringLiteral("ReadMsgFromPhone"));
}

void Gateway::AddToRecCollection(const QString& keyAndDecoded, const QString& digest) {
    const ReceivedFields fields = SplitReceived(keyAndDecoded);
    ReceivedMsg listed;
    listed.setMsgID(fields.key);
    listed.setDateTime(fields.dateTime);
    listed.setPhone(fields.phone);
    listed.setMsgText(fields.text);
    const ReceivedMsg* held = received_.find(fields.key);
    const bool same = held && (digest.isEmpty() ? held->Phone() == listed.Phone() &&
                                                      held->MsgText() == listed.MsgText()
                                                : heldDigests_.value(fields.key) == digest);
    if (same)
        return;
    if (held)
        TakeOverReusedIndex(listed);
    // Stored in an earlier run, the journal says: only its delete is left.
    listed.setWrittenToDbase(!digest.isEmpty() &&
                             journal_->StoredMessages().value(fields.key) == digest);
    received_.add(listed);
    heldDigests_.insert(fields.key, digest);
}

void Gateway::TakeOverReusedIndex(const ReceivedMsg& listed) {
    // The record held under this key belongs to a message that has left the phone. Once stored
    // (or marked deleted) it has nothing left to do; unstored, it is kept under a detached key to
    // be stored, and the phone's new message at this index takes the key.
    ReceivedMsg old = *received_.find(listed.MsgID());
    received_.removeIf([&](const ReceivedMsg& msg) { return msg.MsgID() == listed.MsgID(); });
    const QString oldDigest = heldDigests_.take(listed.MsgID());
    if (old.WrittenToDbase() || IsDeletedFromPhone(old))
        return;
    old.setMsgID(old.MsgID() + kDetachedMark + QString::number(++detachedCount_));
    received_.add(old);
    heldDigests_.insert(old.MsgID(), oldDigest);
}

void Gateway::CopyFromRecCollectionToDbase() {
    // Unread, the journal may hold messages stored already: they wait rather than go in twice.
    if (!journal_->Ready())
        return;
    PrepareReportPairing();
    for (int pos = 1; pos <= received_.count() && !StopCutsShort(); ++pos) {
        ReceivedMsg& msg = received_.item(pos);
        if (msg.WrittenToDbase() || msg.IsCommand())
            continue;
        PairStatusReport(heldDigests_.value(msg.MsgID()));
        if (database_->WriteReceived(msg)) {
            // At once: a crash before this line stores the message again after the restart.
            if (!IsDetached(msg))
                Journaled(journal_->Stored(msg.MsgID(), heldDigests_.value(msg.MsgID())),
                          QStringLiteral("CopyFromRecCollectionToDbase"));
            else
                SettleReleasedParts(msg);
            msg.setWrittenToDbase(true);
            pacer_.pause(100);
            lamps_.SetAlarm(AlarmDatabase, AlarmSuccess);
        } else {
            msg.setWriteCounter(4);
            pacer_.pause(100);
            WriteLog(LogTexts::kWriteReceivedFailed);
            lamps_.SetAlarm(AlarmDatabase, AlarmRaised);
            if (database_->Stalled())
                return;  // the server is locked or timed out: the rest waits for the next cycle
        }
    }
}

void Gateway::DeleteMsgFromRecCollection() {
    // With deletion switched off the stored messages stay in the phone. Their records stay held
    // (stored, not marked deleted), so the next listing finds them known and does not store them
    // again; they leave when the phone lists nothing or another message takes their index.
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return;
    // A stop leaves the deletes to the journal: the next start makes them.
    for (int pos = 1; pos <= received_.count() && !StopCutsShort(); ++pos) {
        ReceivedMsg& msg = received_.item(pos);
        if (!msg.WrittenToDbase() || IsDeletedFromPhone(msg))
            continue;
        if (IsDetached(msg)) {
            // Its message is gone from the phone already; its index holds another message.
            msg.setPhone(ReceivedMsg::DeletedMark());
            continue;
        }
        // Only where this cycle's listing showed this very PDU: an index may hold another
        // message by now.
        const auto listed = listed_.constFind(msg.MsgID());
        if (listed == listed_.cend() || *listed != heldDigests_.value(msg.MsgID()))
            continue;
        pacer_.letEventsRun();
        if (phone_->DeleteMsg(msg.MsgID())) {
            lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
            msg.setPhone(ReceivedMsg::DeletedMark());
            Journaled(journal_->Deleted(msg.MsgID()), QStringLiteral("DeleteMsgFromRecCollection"));
        } else {
            WriteLog(LogTexts::CantDeleteLine(msg.MsgID()));
            lamps_.SetAlarm(AlarmPhone, AlarmRaised);
            if (finishing_ || phone_->PortLost())
                return;  // the exit waits for no further failing phone exchange
        }
    }
}

void Gateway::RemoveDeletedFromRecCollection() {
    received_.removeIf([this](const ReceivedMsg& msg) {
        const bool deleted = IsDeletedFromPhone(msg);
        if (deleted)
            heldDigests_.remove(msg.MsgID());
        return deleted;
    });
}
