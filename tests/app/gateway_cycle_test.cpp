// The gateway cycle end to end: a real SQLite file, the virtual modem on a pseudo-terminal, the
// pauses on a virtual clock.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "db/AdoClass.h"
#include "files/LogTexts.h"
#include "pdu/PduEncoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;
using gatewaytest::Refusing;

namespace {

const QString kLatinSender = u"+79001234567"_s;
const QString kCyrillicSender = u"+79007654321"_s;
// The delivery report of the decoder's own examples: delivered to +79001234567.
const QString kReportPdu = u"07919700111111F1062A0B919700214365F7622150413000216221504130702100"_s;
const QString kLongText = QString(200, u'x') + QString(150, u'y');  // 3 parts
// Reaches the table as it arrived: quotes, backslashes, tabs and line breaks included.
const QString kAwkwardText = u"It's \"ok\" C:\\dir\ttab\nnew line ё"_s;

QStringList Inbox() {
    return {u"ME:"_s + DeliverPdu(kLatinSender, kAwkwardText),
            u"ME:"_s + DeliverPdu(kCyrillicSender, u"Привет, мир"_s), u"SM:"_s + kReportPdu};
}

TEST(GatewayCycle, BothDirectionsInOneCycle) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow(u"+79005550001"_s, u"Hello"_s);
    rig.AddSendRow(u"79005550002"_s, u"Здравствуйте"_s);
    rig.AddSendRow(u"79005550003"_s, kLongText);
    rig.Start();
    rig.G().RunCycle();

    const QStringList texts = rig.ReceivedTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts.mid(0, 2), (QStringList{kAwkwardText, u"Привет, мир"_s}));
    EXPECT_TRUE(texts[2].contains(u"Отчет о доставке: Доставлено +79001234567"_s))
        << texts[2].toStdString();
    EXPECT_EQ(rig.ReceivedColumn(u"Number"_s).value(0), kLatinSender);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 0);

    for (const auto& row : rig.SendRows())
        EXPECT_EQ(row.status, 2) << row.id.toStdString();
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1 + 1 + 3);
    EXPECT_EQ(rig.G().Sending().count(), 0);
    EXPECT_TRUE(rig.view.logLines.isEmpty()) << rig.view.logLines.join('\n').toStdString();
    // The cycle ends with the button enabled and the port closed (the test's phone could list).
    EXPECT_EQ(rig.view.startStop, (QList<bool>{false, true}));
    EXPECT_TRUE(rig.view.statuses.contains(u"Обработка отправленных сообщений"_s));
}

// Refused once in Mode 1, the record is held with one attempt; in Mode 2 the phone is still read
// and the held record sent, but no new row is taken.
TEST(GatewayCycle, RefusedOnceThenMode2SendsTheHeldRecordOnly) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CMGS:1"_s})));
    rig.AddSendRow();
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.Status(0), 1);
    ASSERT_EQ(rig.G().Sending().count(), 1);
    const QStringList refusals = rig.view.logLines.filter(u"Code: 102"_s);
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_TRUE(refusals[0].endsWith(u"\t; Attempt: 1; MsgID: "_s + rig.SendRows()[0].id));

    rig.SetSetting(u"Options/Mode"_s, u"2"_s);
    rig.AddSendRow(u"79005550002"_s, u"not loaded in mode 2"_s);
    ASSERT_EQ(rig.Modem().addMessage(u"ME"_s, DeliverPdu(kLatinSender, u"read in mode 2"_s)), 1);
    rig.G().RunCycle();
    EXPECT_EQ(rig.Status(0), 2);
    EXPECT_EQ(rig.Status(1), 1);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{u"read in mode 2"_s});
}

// A phone that is absent or silent costs no attempts; once it answers the row is sent. Mode 3
// leaves the phone unread but opens the port itself to send.
TEST(GatewayCycle, AbsentOrSilentPhoneUsesNoAttemptsAndSendsOnceItIsBack) {
    const struct {
        int mode;
        bool silent;  // the modem is there but does not answer; otherwise it is not plugged in
        QString log, status;
    } rows[] = {{1, false, LogTexts::kCantOpenPortCopyFromPhone, u"Порт не открыт"_s},
                {3, false, LogTexts::kCantOpenPortSendMsg, QString()},
                {1, true, LogTexts::kNoAnswerCopyFromPhone, u"Нет ответа от телефона"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.log.toStdString());
        GatewayRig rig;
        rig.SetSetting(u"Phone/ComPort"_s, rig.Modem().link());
        ASSERT_TRUE(!r.silent || rig.StartModem({u"--silent"_s}));
        rig.SetSetting(u"Options/Mode"_s, QString::number(r.mode));
        rig.AddSendRow();
        rig.Start();
        rig.RunCycles(3);
        EXPECT_EQ(rig.view.LogCount(r.log), 3);
        // The log file holds the same lines the view saw.
        EXPECT_EQ(rig.LogFileLines().filter(r.log).size(), 3);
        EXPECT_TRUE(r.status.isEmpty() || rig.view.statuses.contains(r.status));
        EXPECT_EQ(rig.view.LogCount(u"Code: 102"_s), 0);
        EXPECT_EQ(rig.G().Lamps().colour(2), AlarmLamps::kRed);
        EXPECT_EQ(rig.Status(0), 1);
        ASSERT_EQ(rig.G().Sending().count(), 1);
        EXPECT_EQ(rig.G().Sending().item(1).SendAttempts(), 0);

        ASSERT_TRUE(rig.StartModem({}, Inbox()));
        rig.G().RunCycle();
        EXPECT_EQ(rig.Status(0), 2);
        EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
        EXPECT_EQ(rig.ReceivedTexts().size(), r.mode == 3 ? 0 : 3);
        EXPECT_EQ(rig.PhoneListing().size(), r.mode == 3 ? 3 : 0);
    }
}

TEST(GatewayCycle, DatabaseDownTouchesNeitherPhoneNorSendTable) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow();
    rig.SetDatabaseDown(true);
    rig.Start();
    rig.RunCycles(2);
    EXPECT_TRUE(rig.view.statuses.contains(u"Невозможно установить соединение с сервером"_s));
    EXPECT_EQ(rig.PhoneListing().size(), 3);
    EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 3);  // held once, not once per cycle
    EXPECT_EQ(rig.view.received.size(), 3);

    rig.SetDatabaseDown(false);
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(rig.Status(0), 2);
}

TEST(GatewayCycle, AlwaysRefusedEndsAsNotSentAtTheAttemptLimit) {
    const struct {
        QString attempts;
        int cyclesToThree;
    } rows[] = {{u"2"_s, 2}, {u"3"_s, 3}, {u"0"_s, 2}, {u"x"_s, 2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.attempts.toStdString());
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem(Refusing({u"CMGS"_s})));
        rig.AddSendRow();
        rig.SetSetting(u"Options/SendAttempts"_s, r.attempts);
        rig.Start();
        for (int cycle = 1; cycle < r.cyclesToThree; ++cycle) {
            rig.G().RunCycle();
            EXPECT_EQ(rig.Status(0), 1);
        }
        rig.G().RunCycle();
        EXPECT_EQ(rig.Status(0), 3);
        EXPECT_EQ(rig.view.LogCount(u"Code: 102"_s), r.cyclesToThree);
        EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
        EXPECT_EQ(rig.G().Sending().count(), 0);
    }
}

// A long message counts as sent only when every part was accepted. The part refused ends the
// attempt; the next one goes on from that part under the same reference, so the recipient joins
// the parts and never gets the first one twice.
TEST(GatewayCycle, LongMessageWithARefusedPartGoesOnFromThatPart) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CMGS:2"_s})));
    rig.AddSendRow(u"79005550003"_s, kLongText);
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.Status(0), 1);
    EXPECT_EQ(rig.view.LogCount(u"Code: 102"_s), 1);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);  // the third part was never offered
    rig.G().RunCycle();
    EXPECT_EQ(rig.Status(0), 2);
    const QStringList sent = rig.Modem().sentPdus();
    ASSERT_EQ(sent.size(), 3);
    for (const QString& pdu : sent)
        EXPECT_EQ(ConcatReferenceOf(pdu), ConcatReferenceOf(sent[0]));
}

TEST(GatewayCycle, RefusedDeleteStoresOnceAndDeletesLater) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CMGD:1"_s, u"CMGD:2"_s}), Inbox()));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_EQ(rig.view.LogCount(u"Code: 103"_s), 2);
    EXPECT_EQ(rig.PhoneListing().size(), 2);
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 0);
}

TEST(GatewayCycle, DeletionSwitchedOffStoresEachMessageOnce) {
    GatewayRig rig;
    rig.SetSetting(u"SMS/Delete"_s, u"0"_s);
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.Start();
    rig.RunCycles(3);
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_EQ(rig.PhoneListing().size(), 3);  // nothing was deleted
    EXPECT_EQ(rig.view.LogCount(u"Code: 103"_s), 0);

    // A new message at the index of one already stored is stored as well, once.
    rig.SetSetting(u"SMS/Delete"_s, u"1"_s);
    ASSERT_TRUE(rig.DeleteFromPhone(u"11"_s));
    rig.SetSetting(u"SMS/Delete"_s, u"0"_s);
    ASSERT_EQ(rig.Modem().addMessage(u"ME"_s, DeliverPdu(kLatinSender, u"second message"_s)), 1);
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts().size(), 4);
    EXPECT_EQ(rig.ReceivedTexts().count(u"second message"_s), 1);
}

TEST(GatewayCycle, PhoneVanishingMidCycleKeepsEverythingForLater) {
    GatewayRig rig;
    // Seven commands of the start-up checks; ATZ, CMGF, CBC, CSQ, CPMS, CMGL, CPMS, CMGL of the
    // listing; CPMS and CMGD of the first delete; then the modem is pulled out.
    ASSERT_TRUE(rig.StartModem({u"--drop-after"_s, u"17"_s}, Inbox()));
    rig.AddSendRow();
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);         // stored while it was there
    EXPECT_EQ(rig.view.LogCount(u"Code: 103"_s), 1);  // no more deletes once it is gone
    rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(LogTexts::kCantOpenPortCopyFromPhone), 1);
    EXPECT_EQ(rig.view.LogCount(u"Code: 102"_s), 0);  // no phone, no attempt
    EXPECT_EQ(rig.Status(0), 1);
    EXPECT_EQ(rig.view.startStop.last(), true);
    // The two undeleted messages wait, stored, for the phone; never stored twice.
    ASSERT_EQ(rig.G().Received().count(), 2);
    for (int pos = 1; pos <= 2; ++pos)
        EXPECT_TRUE(rig.G().Received().item(pos).WrittenToDbase());
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
}

// A failed listing looks like an empty phone; it must not drop stored records whose delete failed
// (they would come back from the phone and be stored twice).
TEST(GatewayCycle, FailedListingDropsNothing) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CMGD:1"_s, u"CMGL:3"_s, u"CMGL:4"_s}),
                               {u"ME:"_s + DeliverPdu(kLatinSender, u"once"_s)}));
    rig.Start();
    rig.G().RunCycle();  // stored, delete refused
    rig.G().RunCycle();  // both listings fail; the delete goes through
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{u"once"_s});
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
}

// The phone reuses an index: a new message under a key still held is stored, never deleted
// unstored.
TEST(GatewayCycle, NewMessageAtAReusedIndexIsStored) {
    for (const bool firstStored : {true, false}) {
        SCOPED_TRACE(firstStored);
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem(Refusing({u"CMGD:1"_s}),
                                   {u"ME:"_s + DeliverPdu(kLatinSender, u"first"_s)}));
        rig.SetDatabaseDown(!firstStored);
        rig.Start();
        rig.G().RunCycle();
        ASSERT_EQ(rig.G().Received().count(), 1);
        // Someone else empties index 1 and a new message arrives there.
        // (The modem refuses the first CMGD it gets, from the gateway or from here.)
        ASSERT_TRUE(rig.DeleteFromPhone(u"11"_s) || rig.DeleteFromPhone(u"11"_s));
        ASSERT_EQ(rig.Modem().addMessage(u"ME"_s, DeliverPdu(kCyrillicSender, u"second"_s)), 1);
        rig.SetDatabaseDown(false);
        rig.RunCycles(2);
        QStringList texts = rig.ReceivedTexts();
        texts.sort();
        EXPECT_EQ(texts, (QStringList{u"first"_s, u"second"_s}));
        EXPECT_TRUE(rig.PhoneListing().isEmpty());
        EXPECT_EQ(rig.G().Received().count(), 0);
    }
}

}  // namespace
