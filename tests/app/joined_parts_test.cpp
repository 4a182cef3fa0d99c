// Long received messages stored as one row (Options/JoinParts=1): the plan for the waiting parts
// (cases in tests/data/part_joining.tsv), then against the virtual modem parts out of order over
// both storages and cycles, listed twice, missing past the time-out, and the gateway program
// killed with SIGKILL at seeded moments.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>

#include "GatewayTestKit.h"
#include "app/PartJoining.h"
#include "pdu/SMScoder.h"
#include "settings/Ini.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

static const QString kSender = u"+79001234567"_s;
// Three parts; the line break begins part 2, so that a wrong order shows.
static const QString kWhole = QString(150, u'a') + u" 5%\n"_s + QString(200, u'b');
static const QString kBroken = QString(160, u'x') + QString(160, u'y');  // part 2 never comes
static const QMap<QString, QString> kJoining = {{u"Options/JoinParts"_s, u"1"_s},
                                                {u"Options/JoinTimeout"_s, u"600"_s},
                                                {u"Phone/Period"_s, u"1"_s}};

// The SMS-DELIVER parts of a message from kSender, in part order; one coder gives each message
// a reference of its own.
static QStringList DeliverParts(SMScoder& coder, QString text) {
    QStringList pdus = coder.PrepareSend(kSender, text, u"79001111111"_s, 0);
    for (QString& part : pdus)
        part = gatewaytest::DeliverFromSubmit(part.section(u'-', 0, 0));
    return pdus;
}

// tests/data/part_joining.tsv: a part is "sender reference total sequence seen-ms text", its
// digest its text; the plan names each joined message ("J" and its text), then each message
// released part by part ("T" and its texts in part order).
TEST(PartJoining, JoinsCompleteMessagesAndReleasesTheOverdue) {
    const auto rows = testsupport::DataTsv(u"part_joining.tsv"_s);
    ASSERT_EQ(rows.size(), 8);
    for (const testsupport::TsvRow& r : rows) {
        QList<Journal::WaitingPart> parts;
        for (const QString& item : r[u"parts"_s].split(u';')) {
            const QStringList f = item.split(u' ');
            parts << Journal::WaitingPart{
                f[5], f[0], f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toLongLong(), {}, f[5]};
        }
        const JoinPlan plan = PlanJoins(parts, r[u"now"_s].toLongLong(),
                                        r[u"timeout"_s].toLongLong(), r[u"joining"_s] == u"1");
        QStringList got;
        for (const ReleasedText& row : plan.joined)  // a part's digest is its text
            got << u"J "_s + (row.digests.join(QString()) == row.text ? row.text : u"!"_s);
        for (const TimedOutMessage& message : plan.timedOut) {
            QStringList texts;
            for (const ReleasedText& part : message.parts)
                texts << part.text;
            got << u"T "_s + texts.join(u',');
        }
        EXPECT_EQ(got.join(u';'), r[u"plan"_s]) << r[u"case"_s].toStdString();
    }
}

TEST(JoinedParts, OneRowFromPartsInAnyOrderAndSingleRowsPastTheTimeOut) {
    gatewaytest::GatewayRig rig;
    FixedClock clock(QDateTime::currentDateTime());
    rig.clock = &clock;
    rig.settings.insert(kJoining);
    rig.WriteSettings();
    SMScoder coder;
    const QStringList whole = DeliverParts(coder, kWhole), broken = DeliverParts(coder, kBroken);
    // The first two deletes refused: those parts stay in the phone until the row is stored.
    ASSERT_TRUE(rig.StartModem({u"--fail"_s, u"CMGD:1"_s, u"--fail"_s, u"CMGD:2"_s},
                               {u"SM:"_s + whole[2], u"ME:"_s + whole[0], u"SM:"_s + whole[0],
                                u"ME:"_s + whole[1], u"ME:"_s + broken[2], u"SM:"_s + broken[0]}));
    rig.SetDatabaseDown(true);
    rig.Start();
    rig.G().RunCycle();
    // One line, the joined message's: no part shows.
    EXPECT_EQ(rig.view.received.join(u'|').section(u'\t', 3), kSender + u' ' + kWhole);
    EXPECT_EQ(rig.PhoneListing().size(), 2);  // the others wait in the journal
    rig.SetDatabaseDown(false);
    rig.G().RunCycle();
    ASSERT_GT(rig.Modem().addMessage(u"SM"_s, whole[1]), 0);  // a copy after the row
    clock.advanceSecs(599);
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{kWhole});
    clock.advanceSecs(1);
    rig.Start();  // only the journal knows its parts now
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts(),
              (QStringList{kWhole, DecodePdu(broken[0]).text, DecodePdu(broken[2]).text}));
    EXPECT_EQ(rig.view.LogCount(u"; Sender: "_s + kSender + u"; Reference: 3;"_s), 1);
    EXPECT_TRUE(rig.G().WorkJournal().Settled());
}

TEST(JoinedParts, KillsAtAnyMomentLoseNoPartAndStoreNoneTwice) {
    gatewaytest::GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.settings.insert(kJoining);
    rig.WriteSettings();
    SMScoder coder;
    const QStringList whole = DeliverParts(coder, kWhole), broken = DeliverParts(coder, kBroken);
    // One part more before each start; the first of the broken message twice.
    QRandomGenerator random(7);
    for (const QString& part :
         QStringList{u"SM"_s + whole[2], u"ME"_s + whole[0], u"ME"_s + broken[0],
                     u"SM"_s + broken[2], u"SM"_s + broken[0], u"SM"_s + whole[1]}) {
        ASSERT_GT(rig.Modem().addMessage(part.left(2), part.mid(2)), 0);
        QProcess gateway;
        gateway.start(testsupport::BinaryDir() + u"/tools/pelorus/pelorus"_s,
                      {u"--headless"_s, u"--config"_s, INIFileName, u"--pause-percent"_s, u"10"_s});
        gateway.waitForFinished(500 + random.bounded(2500));  // it runs until killed
        gateway.kill();
        ASSERT_TRUE(gateway.waitForFinished());
    }
    rig.SetSetting(u"Options/JoinTimeout"_s, u"0"_s);  // the broken message's parts go now
    rig.Start();
    rig.RunCycles(2);
    EXPECT_EQ(rig.ReceivedTexts(),
              (QStringList{kWhole, DecodePdu(broken[0]).text, DecodePdu(broken[2]).text}));
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
    EXPECT_TRUE(rig.G().WorkJournal().Settled());
}
