// Long received messages stored as one row (Options/JoinParts=1) against the virtual modem: parts
// out of order across both storages and cycles, listed twice, missing past the time-out, and a
// gateway killed with SIGKILL at any moment.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include "GatewayTestKit.h"
#include "files/Journal.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"
#include "settings/Ini.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

const QString kSender = u"+79001234567"_s;
// Three parts, each with text of its own, so that a wrong order shows.
const QString kText = QString(150, u'a') + QString(150, u'b') + QString(100, u'c');

// The parts of a long message from kSender as a phone lists them, in part order (each message
// made with one coder gets a reference of its own).
QStringList LongPdus(SMScoder& coder, const QString& text) {
    QString body = text;
    QStringList pdus;
    for (const QString& part : coder.PrepareSend(kSender, body, u"79001111111"_s, 0))
        pdus << gatewaytest::DeliverFromSubmit(part.section(u'-', 0, 0));
    return pdus;
}
QString PartText(const QString& pdu) {
    return DecodePdu(pdu).text;
}
// "SM:3" -> the third part for the SIM's inbox.
QStringList Placed(const QStringList& places, const QStringList& pdus) {
    QStringList inbox;
    for (const QString& place : places)
        inbox << place.left(3) + pdus.value(place.mid(3).toInt() - 1);
    return inbox;
}

GatewayRig& Joining(GatewayRig& rig, const QString& timeout = u"600"_s) {
    rig.SetSetting(u"Options/JoinParts"_s, u"1"_s);
    rig.SetSetting(u"Options/JoinTimeout"_s, timeout);
    rig.WriteSettings();
    return rig;
}

TEST(JoinedParts, OneRowWhateverTheOrderStorageAndCycle) {
    const struct {
        const char* name;
        QStringList first, later;  // listed at the first cycle, added before the second
        bool databaseDownFirst;
    } rows[] = {
        {"out of order across both storages", {u"SM:3"_s, u"ME:1"_s, u"SM:2"_s}, {}, false},
        {"listed twice, then once more",
         {u"ME:2"_s, u"SM:1"_s, u"ME:1"_s, u"SM:3"_s},
         {u"ME:2"_s},
         false},
        {"across cycles", {u"ME:3"_s}, {u"SM:1"_s, u"ME:2"_s}, false},
        {"complete while the database is down", {u"ME:2"_s, u"ME:3"_s, u"SM:1"_s}, {}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        GatewayRig rig;
        Joining(rig);
        SMScoder coder;
        const QStringList pdus = LongPdus(coder, kText);
        ASSERT_EQ(pdus.size(), 3);
        ASSERT_TRUE(rig.StartModem({}, Placed(r.first, pdus)));
        rig.SetDatabaseDown(r.databaseDownFirst);
        rig.Start();
        rig.G().RunCycle();
        if (r.databaseDownFirst) {  // the list shows the joined message, not its parts
            EXPECT_EQ(rig.view.received.size(), 1);
            EXPECT_TRUE(rig.view.received.value(0).endsWith(kSender + u' ' + kText));
        }
        rig.SetDatabaseDown(false);
        for (const QString& added : Placed(r.later, pdus))
            ASSERT_GT(rig.Modem().addMessage(added.left(2), added.mid(3)), 0);
        rig.RunCycles(2);
        EXPECT_EQ(rig.ReceivedTexts(), QStringList{kText});
        EXPECT_TRUE(rig.PhoneListing().isEmpty());
        EXPECT_TRUE(rig.G().WorkJournal().Settled());
    }
}

// Part 2 never comes: parts 1 and 3 wait in the journal (not in the phone) until the time-out,
// through a restart, then each is stored as its own row with one log line.
TEST(JoinedParts, MissingPartReleasesTheOthersAfterTheTimeOut) {
    GatewayRig rig;
    FixedClock clock(QDateTime::currentDateTime());
    rig.clock = &clock;
    Joining(rig, u"600"_s);
    SMScoder coder;
    const QStringList pdus = LongPdus(coder, kText);
    ASSERT_TRUE(rig.StartModem({}, Placed({u"SM:3"_s, u"ME:1"_s}, pdus)));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    clock.advanceSecs(599);
    rig.Start();  // a restart: only the journal knows the parts
    rig.G().RunCycle();
    EXPECT_TRUE(rig.ReceivedTexts().isEmpty());
    clock.advanceSecs(1);
    rig.Start();  // and one more: the first rewrote the journal
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts(), (QStringList{PartText(pdus[0]), PartText(pdus[2])}));
    EXPECT_EQ(rig.view.LogCount(u"Code: 108;"_s), 1);
    EXPECT_EQ(rig.view.LogCount(u"; Sender: "_s + kSender + u"; Reference: 2;"_s), 1);
    EXPECT_TRUE(rig.G().WorkJournal().Settled());
}

// The gateway program killed with SIGKILL at seeded moments while one message arrives whole and
// another without its part 2; then a gateway past the time-out finishes. Each text is stored once.
TEST(JoinedParts, KillsAtAnyMomentLoseNoPartAndStoreNoneTwice) {
    GatewayRig rig;
    Joining(rig, u"3600"_s);
    rig.SetSetting(u"Phone/Period"_s, u"1"_s);
    SMScoder coder;
    const QStringList whole = LongPdus(coder, kText);
    const QString otherText = QString(160, u'x') + QString(160, u'y');
    const QStringList broken = LongPdus(coder, otherText);
    ASSERT_TRUE(rig.StartModem());
    rig.WriteSettings();
    // One part more before each start, the first of the broken message twice.
    const QStringList arriving = Placed({u"SM:3"_s, u"ME:1"_s}, whole) +
                                 Placed({u"ME:1"_s, u"SM:3"_s, u"SM:1"_s}, broken) +
                                 Placed({u"SM:2"_s}, whole);
    QRandomGenerator random(7);
    for (const QString& part : arriving) {
        ASSERT_GT(rig.Modem().addMessage(part.left(2), part.mid(3)), 0);
        QProcess gateway;
        gateway.start(testsupport::BinaryDir() + u"/tools/pelorus/pelorus"_s,
                      {u"--headless"_s, u"--config"_s, INIFileName, u"--pause-percent"_s, u"10"_s});
        ASSERT_TRUE(gateway.waitForStarted());
        QThread::msleep(500 + random.bounded(2500));
        gateway.kill();
        ASSERT_TRUE(gateway.waitForFinished());
    }
    FixedClock clock(QDateTime::currentDateTime().addSecs(3600));
    rig.clock = &clock;
    rig.Start();
    rig.RunCycles(2);
    QStringList stored = rig.ReceivedTexts();
    stored.sort();
    EXPECT_EQ(stored, (QStringList{kText, PartText(broken[0]), PartText(broken[2])}));
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_TRUE(rig.G().WorkJournal().Settled());
}

}  // namespace
