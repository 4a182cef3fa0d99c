// The gateway cycle end to end: a real SQLite file, the virtual modem on a pseudo-terminal, the
// pauses on a virtual clock.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "db/AdoClass.h"
#include "files/LogTexts.h"
#include "phone/MobilePhone.h"

using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;

namespace {

const QString kLatinSender = QStringLiteral("+79001234567");
const QString kCyrillicSender = QStringLiteral("+79007654321");
// The delivery report of the decoder's own examples: delivered to +79001234567.
const QString kReportPdu =
    QStringLiteral("07919700111111F1062A0B919700214365F7622150413000216221504130702100");
const QString kLongText =
    QString(200, QLatin1Char('x')) + QString(150, QLatin1Char('y'));  // 3 parts

QStringList Inbox() {
    return {QStringLiteral("ME:") + DeliverPdu(kLatinSender, QStringLiteral("hello there")),
            QStringLiteral("ME:") + DeliverPdu(kCyrillicSender, QStringLiteral("Привет, мир")),
            QStringLiteral("SM:") + kReportPdu};
}

int StatusOf(const GatewayRig& rig, int row) {
    return rig.SendRows().value(row).status;
}

TEST(GatewayCycle, BothDirectionsInOneCycle) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow(QStringLiteral("+79005550001"), QStringLiteral("Hello"));
    rig.AddSendRow(QStringLiteral("79005550002"), QStringLiteral("Здравствуйте"));
    rig.AddSendRow(QStringLiteral("79005550003"), kLongText);
    rig.Start();
    rig.G().RunCycle();

    const QStringList texts = rig.ReceivedTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_TRUE(texts.contains(QStringLiteral("hello there")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Привет, мир")));
    EXPECT_TRUE(texts.filter(QStringLiteral("Отчет о доставке: Доставлено +79001234567")).size() ==
                1);
    EXPECT_EQ(rig.ReceivedRows().first().value(0), kLatinSender);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 0);

    for (const auto& row : rig.SendRows())
        EXPECT_EQ(row.status, 2) << row.id.toStdString();
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1 + 1 + 3);
    EXPECT_EQ(rig.G().Sending().count(), 0);
    EXPECT_TRUE(rig.view.logLines.isEmpty()) << rig.view.logLines.join('\n').toStdString();
    // The cycle ends with the button enabled and the port closed (the test's phone could list).
    EXPECT_EQ(rig.view.startStop, (QList<bool>{false, true}));
    EXPECT_TRUE(rig.view.statuses.contains(QStringLiteral("Обработка отправленных сообщений")));
}

TEST(GatewayCycle, ReceivedTextKeepsQuotesBackslashesTabsAndLineBreaks) {
    const QString awkward = QStringLiteral("It's \"ok\" C:\\dir\ttab\nnew line ё");
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, {QStringLiteral("ME:") + DeliverPdu(kLatinSender, awkward)}));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{awkward});
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
}

TEST(GatewayCycle, Mode2ReadsThePhoneButTakesNoNewRows) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.SetSetting(QStringLiteral("Options/Mode"), QStringLiteral("2"));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_EQ(StatusOf(rig, 0), 1);
    EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
}

TEST(GatewayCycle, Mode2StillSendsTheRecordsHeld) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--fail"), QStringLiteral("CMGS:1")}));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.Start();
    rig.G().RunCycle();  // refused once: held with one attempt
    ASSERT_EQ(rig.G().Sending().count(), 1);
    rig.SetSetting(QStringLiteral("Options/Mode"), QStringLiteral("2"));
    rig.AddSendRow(QStringLiteral("79005550002"), QStringLiteral("not loaded in mode 2"));
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 2);
    EXPECT_EQ(StatusOf(rig, 1), 1);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
}

TEST(GatewayCycle, Mode3LeavesThePhoneUnreadButOpensItToSend) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.SetSetting(QStringLiteral("Options/Mode"), QStringLiteral("3"));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_TRUE(rig.ReceivedTexts().isEmpty());
    EXPECT_EQ(rig.PhoneListing().size(), 3);
    EXPECT_EQ(StatusOf(rig, 0), 2);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
}

TEST(GatewayCycle, Mode3WithoutAPhoneLogsAndKeepsTheAttempts) {
    GatewayRig rig;  // ComPort names nothing
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.SetSetting(QStringLiteral("Options/Mode"), QStringLiteral("3"));
    rig.Start();
    for (int i = 0; i < 3; ++i)
        rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(LogTexts::kCantOpenPortSendMsg), 3);
    ASSERT_EQ(rig.G().Sending().count(), 1);
    EXPECT_EQ(rig.G().Sending().item(1).SendAttempts(), 0);
    EXPECT_EQ(StatusOf(rig, 0), 1);
}

TEST(GatewayCycle, DatabaseDownTouchesNeitherPhoneNorSendTable) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.SetDatabaseDown(true);
    rig.Start();
    rig.G().RunCycle();
    rig.G().RunCycle();
    EXPECT_TRUE(
        rig.view.statuses.contains(QStringLiteral("Невозможно установить соединение с сервером")));
    EXPECT_EQ(rig.PhoneListing().size(), 3);
    EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 3);  // held once, not once per cycle
    EXPECT_EQ(rig.view.received.size(), 3);

    rig.SetDatabaseDown(false);
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(StatusOf(rig, 0), 2);
}

TEST(GatewayCycle, SilentPhoneUsesNoAttempts) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--silent")}));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.Start();
    for (int i = 0; i < 3; ++i)
        rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(LogTexts::kNoAnswerCopyFromPhone), 3);
    EXPECT_TRUE(rig.view.statuses.contains(QStringLiteral("Нет ответа от телефона")));
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), 0);
    EXPECT_EQ(StatusOf(rig, 0), 1);
    ASSERT_EQ(rig.G().Sending().count(), 1);
    EXPECT_EQ(rig.G().Sending().item(1).SendAttempts(), 0);
    EXPECT_EQ(rig.G().Lamps().colour(2), AlarmLamps::kRed);
}

TEST(GatewayCycle, AbsentPhoneUsesNoAttemptsAndSendsOnceItIsBack) {
    GatewayRig rig;
    rig.SetSetting(QStringLiteral("Phone/ComPort"), rig.Modem().link());  // not plugged in yet
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.Start();
    for (int i = 0; i < 3; ++i)
        rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(LogTexts::kCantOpenPortCopyFromPhone), 3);
    EXPECT_TRUE(rig.view.statuses.contains(QStringLiteral("Порт не открыт")));
    EXPECT_EQ(StatusOf(rig, 0), 1);
    // The log file holds the same lines the view saw.
    EXPECT_EQ(rig.LogFileLines().filter(LogTexts::kCantOpenPortCopyFromPhone).size(), 3);

    ASSERT_TRUE(rig.StartModem());
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 2);
}

TEST(GatewayCycle, RefusedOnceIsSentNextCycle) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--fail"), QStringLiteral("CMGS:1")}));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 1);
    ASSERT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), 1);
    EXPECT_TRUE(
        rig.view.logLines.filter(QStringLiteral("Code: 102"))
            .first()
            .endsWith(QStringLiteral("\t; Attempt: 1; MsgID: ") + rig.SendRows().first().id));
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 2);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
}

TEST(GatewayCycle, AlwaysRefusedEndsAsNotSentAtTheAttemptLimit) {
    const struct {
        QString attempts;
        int cyclesToThree;
    } rows[] = {{QStringLiteral("2"), 2},
                {QStringLiteral("3"), 3},
                {QStringLiteral("0"), 2},
                {QStringLiteral("x"), 2}};
    for (const auto& r : rows) {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({QStringLiteral("--fail"), QStringLiteral("CMGS")}));
        rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
        rig.SetSetting(QStringLiteral("Options/SendAttempts"), r.attempts);
        rig.Start();
        for (int cycle = 1; cycle < r.cyclesToThree; ++cycle) {
            rig.G().RunCycle();
            EXPECT_EQ(StatusOf(rig, 0), 1) << r.attempts.toStdString();
        }
        rig.G().RunCycle();
        EXPECT_EQ(StatusOf(rig, 0), 3) << r.attempts.toStdString();
        EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), r.cyclesToThree);
        EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
        EXPECT_EQ(rig.G().Sending().count(), 0);
    }
}

// A long message counts as sent only when every part was accepted: the second part refused ends
// the attempt, and the next cycle sends all three parts again.
TEST(GatewayCycle, LongMessageWithARefusedPartIsRetriedWhole) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--fail"), QStringLiteral("CMGS:2")}));
    rig.AddSendRow(QStringLiteral("79005550003"), kLongText);
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 1);
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), 1);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1);  // the third part was never offered
    rig.G().RunCycle();
    EXPECT_EQ(StatusOf(rig, 0), 2);
    EXPECT_EQ(rig.Modem().sentPdus().size(), 1 + 3);
}

TEST(GatewayCycle, RefusedDeleteStoresOnceAndDeletesLater) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--fail"), QStringLiteral("CMGD:1"),
                                QStringLiteral("--fail"), QStringLiteral("CMGD:2")},
                               Inbox()));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 103")), 2);
    EXPECT_EQ(rig.PhoneListing().size(), 2);
    rig.G().RunCycle();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_EQ(rig.G().Received().count(), 0);
}

TEST(GatewayCycle, DeletionSwitchedOffStoresEachMessageOnce) {
    GatewayRig rig;
    rig.SetSetting(QStringLiteral("SMS/Delete"), QStringLiteral("0"));
    ASSERT_TRUE(rig.StartModem({}, Inbox()));
    rig.Start();
    for (int cycle = 0; cycle < 3; ++cycle)
        rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);
    EXPECT_EQ(rig.PhoneListing().size(), 3);  // nothing was deleted
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 103")), 0);

    // A new message at the index of one already stored is stored as well, once.
    rig.SetSetting(QStringLiteral("SMS/Delete"), QStringLiteral("1"));
    ASSERT_TRUE(rig.DeleteFromPhone(QStringLiteral("11")));
    rig.SetSetting(QStringLiteral("SMS/Delete"), QStringLiteral("0"));
    ASSERT_EQ(rig.Modem().addMessage(QStringLiteral("ME"),
                                     DeliverPdu(kLatinSender, QStringLiteral("second message"))),
              1);
    rig.G().RunCycle();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 4);
    EXPECT_EQ(rig.ReceivedTexts().count(QStringLiteral("second message")), 1);
}

TEST(GatewayCycle, PhoneVanishingMidCycleKeepsEverythingForLater) {
    GatewayRig rig;
    // Six commands of the start-up checks; ATZ, CBC, CSQ, CPMS, CMGL, CPMS, CMGL of the listing;
    // CPMS and CMGD of the first delete; then the modem is pulled out.
    ASSERT_TRUE(rig.StartModem({QStringLiteral("--drop-after"), QStringLiteral("15")}, Inbox()));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts().size(), 3);  // stored while it was there
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 103")), 2);
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), 1);  // gone while sending
    rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(LogTexts::kCantOpenPortCopyFromPhone), 1);
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("Code: 102")), 1);  // no phone, no attempt
    EXPECT_EQ(StatusOf(rig, 0), 1);
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
    ASSERT_TRUE(rig.StartModem(
        {QStringLiteral("--fail"), QStringLiteral("CMGD:1"), QStringLiteral("--fail"),
         QStringLiteral("CMGL:3"), QStringLiteral("--fail"), QStringLiteral("CMGL:4")},
        {QStringLiteral("ME:") + DeliverPdu(kLatinSender, QStringLiteral("once"))}));
    rig.Start();
    rig.G().RunCycle();  // stored, delete refused
    rig.G().RunCycle();  // both listings fail; the delete goes through
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{QStringLiteral("once")});
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
}

// The phone reuses an index: a new message under a key still held is stored, never deleted
// unstored.
TEST(GatewayCycle, NewMessageAtAReusedIndexIsStored) {
    for (const bool firstStored : {true, false}) {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem(
            {QStringLiteral("--fail"), QStringLiteral("CMGD:1")},
            {QStringLiteral("ME:") + DeliverPdu(kLatinSender, QStringLiteral("first"))}));
        rig.SetDatabaseDown(!firstStored);
        rig.Start();
        rig.G().RunCycle();
        ASSERT_EQ(rig.G().Received().count(), 1);
        // Someone else empties index 1 and a new message arrives there.
        // (The modem refuses the first CMGD it gets, from the gateway or from here.)
        const bool emptied =
            rig.DeleteFromPhone(QStringLiteral("11")) || rig.DeleteFromPhone(QStringLiteral("11"));
        ASSERT_TRUE(emptied);
        ASSERT_EQ(rig.Modem().addMessage(QStringLiteral("ME"),
                                         DeliverPdu(kCyrillicSender, QStringLiteral("second"))),
                  1);
        rig.SetDatabaseDown(false);
        rig.G().RunCycle();
        rig.G().RunCycle();
        QStringList texts = rig.ReceivedTexts();
        texts.sort();
        EXPECT_EQ(texts, (QStringList{QStringLiteral("first"), QStringLiteral("second")}))
            << "first stored: " << firstStored;
        EXPECT_TRUE(rig.PhoneListing().isEmpty());
        EXPECT_EQ(rig.G().Received().count(), 0);
    }
}

TEST(GatewayCycle, SweepsClearTheWholeCollection) {
    GatewayRig rig;
    rig.Start();
    for (int i = 1; i <= 250; ++i)
        rig.G().AddToRecCollection(QStringLiteral("1%1\tdate\t+7900\ttext %1").arg(i));
    ASSERT_EQ(rig.G().Received().count(), 250);
    // Listed again unchanged: nothing new.
    rig.G().AddToRecCollection(QStringLiteral("17\tlater\t+7900\ttext 7"));
    EXPECT_EQ(rig.G().Received().count(), 250);
    rig.SetDatabaseDown(false);
    ASSERT_TRUE(rig.G().Database().Connect());
    rig.G().CopyFromRecCollectionToDbase();
    rig.G().Database().CloseConnection();
    EXPECT_EQ(rig.ReceivedTexts().size(), 250);
    rig.G().RemoveWrittenFromRecCollection();
    EXPECT_EQ(rig.G().Received().count(), 0);
}

}  // namespace
