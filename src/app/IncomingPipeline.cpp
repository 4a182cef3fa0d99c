// Messages out of the phone and into the receive table: list both storages, keep each message
// once, store it, delete it from the phone only once stored, then forget it.
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
const QString kCrLf = QStringLiteral("\r\n");
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
    bool messageFound = false;
    bool listingsComplete = true;
    for (const int storage : kStorages) {
        phone_->ChoseStorage(storage);
        pacer_.letEventsRun();
        pacer_.letEventsRun();
        phone_->ReadAllMsg(kListAll);
        listingsComplete = listingsComplete && phone_->Error() == kOk;
        const QStringList lines = phone_->Answer().split(kCrLf);
        for (int i = 0; i < lines.size(); ++i) {
            if (!IsPduLine(lines[i]))
                continue;
            const qint64 index = i > 0 ? ListingIndex(lines[i - 1]) : 0;
            messageFound = true;
            coder_->setRowSMS(lines[i]);
            const QString decoded = coder_->PlainSMS();
            const QString key = QString::number(storage) + QString::number(index);
            if (decoded.isEmpty()) {
                const QString undecodable = UndecodablePduText(*coder_, key);
                if (!undecodable.isEmpty()) {
                    WriteLog(undecodable);
                    lamps_.SetAlarm(AlarmPhone, AlarmRaised);
                }
                continue;
            }
            AddToRecCollection(key + QLatin1Char('\t') + CleanText(decoded));
        }
    }
    // Only a phone that listed both storages completely and held nothing proves that stored
    // records have left it; a failed listing proves nothing.
    if (!messageFound && listingsComplete)
        RemoveWrittenFromRecCollection();
}

void Gateway::AddToRecCollection(const QString& keyAndDecoded) {
    const ReceivedFields fields = SplitReceived(keyAndDecoded);
    ReceivedMsg listed;
    listed.setMsgID(fields.key);
    listed.setDateTime(fields.dateTime);
    listed.setPhone(fields.phone);
    listed.setMsgText(fields.text);
    const ReceivedMsg* held = received_.find(fields.key);
    if (held && held->Phone() == listed.Phone() && held->MsgText() == listed.MsgText())
        return;
    if (held)
        TakeOverReusedIndex(listed);
    received_.add(listed);
}

void Gateway::TakeOverReusedIndex(const ReceivedMsg& listed) {
    // The record held under this key belongs to a message that has left the phone. Once stored
    // (or marked deleted) it has nothing left to do; unstored, it is kept under a detached key to
    // be stored, and the phone's new message at this index takes the key.
    ReceivedMsg old = *received_.find(listed.MsgID());
    received_.removeIf([&](const ReceivedMsg& msg) { return msg.MsgID() == listed.MsgID(); });
    if (old.WrittenToDbase() || IsDeletedFromPhone(old))
        return;
    old.setMsgID(old.MsgID() + kDetachedMark + QString::number(++detachedCount_));
    received_.add(old);
}

void Gateway::CopyFromRecCollectionToDbase() {
    for (int pos = 1; pos <= received_.count(); ++pos) {
        ReceivedMsg& msg = received_.item(pos);
        if (msg.WrittenToDbase() || msg.IsCommand())
            continue;
        if (database_->WriteReceived(msg)) {
            pacer_.pause(100);
            msg.setWrittenToDbase(true);
            lamps_.SetAlarm(AlarmDatabase, AlarmSuccess);
        } else {
            msg.setWriteCounter(4);
            pacer_.pause(100);
            WriteLog(LogTexts::kWriteReceivedFailed);
            lamps_.SetAlarm(AlarmDatabase, AlarmRaised);
        }
    }
}

void Gateway::DeleteMsgFromRecCollection() {
    // With deletion switched off the stored messages stay in the phone. Their records stay held
    // (stored, not marked deleted), so the next listing finds them known and does not store them
    // again; they leave when the phone lists nothing or another message takes their index.
    if (ReadSetting(Setting::SmsDelete) == QLatin1String("0"))
        return;
    for (int pos = 1; pos <= received_.count(); ++pos) {
        ReceivedMsg& msg = received_.item(pos);
        if (!msg.WrittenToDbase() || IsDeletedFromPhone(msg))
            continue;
        if (IsDetached(msg)) {
            // Its message is gone from the phone already; its index holds another message.
            msg.setPhone(ReceivedMsg::DeletedMark());
            continue;
        }
        pacer_.letEventsRun();
        if (phone_->DeleteMsg(msg.MsgID())) {
            lamps_.SetAlarm(AlarmPhone, AlarmSuccess);
            msg.setPhone(ReceivedMsg::DeletedMark());
        } else {
            WriteLog(LogTexts::CantDeleteLine(msg.MsgID()));
            lamps_.SetAlarm(AlarmPhone, AlarmRaised);
        }
    }
}

void Gateway::RemoveDeletedFromRecCollection() {
    received_.removeIf([](const ReceivedMsg& msg) { return IsDeletedFromPhone(msg); });
}

void Gateway::RemoveWrittenFromRecCollection() {
    received_.removeIf([](const ReceivedMsg& msg) { return msg.WrittenToDbase(); });
}
