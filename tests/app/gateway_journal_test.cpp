// Exactly once through restarts and phone faults: what the journal of work in flight settles
// after a stop or a crash, and what the pipelines do when the phone refuses or goes away.
#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>

#include "GatewayTestKit.h"
#include "files/AlarmLamps.h"
#include "files/Journal.h"
#include "pdu/SMScoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;
using gatewaytest::Refusing;

namespace {

const QString kLongText = QString(200, u'x') + QString(150, u'y');  // 3 parts
QString Inbox(const QString& storage, const QString& text) {
    return storage + u':' + DeliverPdu(u"+79001234567"_s, text);
}

// A stop (or a crash) loses what only memory held; the journal keeps it. Each row fails the
// first run in one step, then a new gateway over the same folder finishes it.
TEST(GatewayJournal, ARestartFinishesWhatTheLastRunLeft) {
    const struct {
        QString name;
        QStringList faults;
    } rows[] = {{u"refused deletes"_s, Refusing({u"CMGD:1"_s, u"CMGD:2"_s})},
                {u"failed write-back"_s, {}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name.toStdString());
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem(r.faults, {Inbox(u"ME"_s, u"one"_s), Inbox(u"SM"_s, u"two"_s)}));
        rig.AddSendRow();
        const bool failWriteBack = r.faults.isEmpty();
        ASSERT_TRUE(!failWriteBack || rig.Execute(u"CREATE TRIGGER refuse BEFORE UPDATE ON Send "
                                                  "BEGIN SELECT RAISE(ABORT, 'locked'); END"_s));
        rig.Start();
        rig.G().RunCycle();
        ASSERT_TRUE(!failWriteBack || rig.Execute(u"DROP TRIGGER refuse"_s));
        rig.Start();  // a new gateway: nothing held in memory
        rig.G().RunCycle();
        EXPECT_EQ(rig.ReceivedTexts(), (QStringList{u"one"_s, u"two"_s}));
        EXPECT_TRUE(rig.PhoneListing().isEmpty());
        EXPECT_EQ(rig.Status(0), 2);
        EXPECT_EQ(rig.Modem().sentPdus().size(), 1);
        EXPECT_TRUE(rig.G().WorkJournal().Settled());
    }
}

// A send cut short by a crash, as the journal shows it at the next start.
TEST(GatewayJournal, SettlesASendCutShort) {
    const int kReference = 77;
    const struct {
        int accepted, inFlight;
        QString resendUncertain;
        int partsSent;
        QString log;
    } rows[] = {
        {1, 0, u"0"_s, 2, QString()},  // the rest under the same reference
        {2, 3, u"0"_s, 0,
         u"Code: 106;  Descr: Send outcome unknown, marked as sent; Procedure: SettleJournal\t; MsgID: "_s},
        {2, 3, u"1"_s, 1,
         u"Code: 106;  Descr: Send outcome unknown, sent again; Procedure: SettleJournal\t; MsgID: "_s},
        {3, 0, u"0"_s, 0, QString()},  // all accepted: only the write-back was missing
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.accepted * 10 + r.inFlight);
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem());
        rig.AddSendRow(u"79005550003"_s, kLongText);
        const QString id = rig.SendRows()[0].id;
        {
            Journal crashed(Journal::PathBeside(rig.Folder() + u"/Pelorus.ini"_s));
            ASSERT_TRUE(crashed.Load() && crashed.SendBegun(id, 3, kReference) &&
                        crashed.PartAccepted(id, r.accepted) &&
                        (r.inFlight == 0 || crashed.PartOffered(id, r.inFlight)));
        }
        rig.SetSetting(u"Options/ResendUncertain"_s, r.resendUncertain);
        rig.Start();
        rig.G().RunCycle();
        EXPECT_EQ(rig.Status(0), 2);
        // Byte for byte the last parts of the message encoded under that reference.
        rig.SetSetting(u"SMS/LongID"_s, QString::number(kReference - 1));
        QString text = kLongText;
        QStringList expected;
        for (const QString& part :
             SMScoder().PrepareSend(u"79005550003"_s, text, rig.G().SMSC(), 0))
            expected << part.section(u'-', 0, 0);
        EXPECT_EQ(rig.Modem().sentPdus(), expected.mid(3 - r.partsSent));
        const QStringList uncertain = rig.view.logLines.filter(u"Code: 106"_s);
        EXPECT_EQ(uncertain.size(), r.log.isEmpty() ? 0 : 1);
        EXPECT_EQ(uncertain.filter(r.log + id + u';').size(), uncertain.size());
        EXPECT_TRUE(rig.G().WorkJournal().Settled());
    }
}

// The phone refuses one storage selection: that storage is neither listed nor deleted from; it
// used to be listed as the storage selected before, under the other storage's keys.
TEST(GatewayJournal, RefusedStorageIsNeitherListedNorDeletedFrom) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CPMS:2"_s}),
                               {Inbox(u"ME"_s, u"in memory"_s), Inbox(u"SM"_s, u"on the SIM"_s)}));
    rig.Start();
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{u"in memory"_s});
    EXPECT_EQ(rig.view.LogCount(u"Code: 107;  Descr: Cant select storage"_s), 1);
    EXPECT_EQ(rig.PhoneListing().size(), 1);  // the SIM's message waits for the next cycle
}

// A stored record whose message left the phone while its delete failed: a new message at the
// same index, not shown by this cycle's (refused) listing, is never deleted by that index.
TEST(GatewayJournal, AStaleRecordDeletesNothing) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(Refusing({u"CMGD:1"_s, u"CMGL:3"_s, u"CMGL:4"_s}),
                               {Inbox(u"ME"_s, u"first"_s)}));
    rig.Start();
    rig.G().RunCycle();  // stored, delete refused
    ASSERT_TRUE(rig.DeleteFromPhone(u"11"_s));
    ASSERT_EQ(rig.Modem().addMessage(u"ME"_s, DeliverPdu(u"+79007654321"_s, u"second"_s)), 1);
    rig.G().RunCycle();  // both listings refused
    EXPECT_EQ(rig.PhoneListing().size(), 1);
    rig.G().RunCycle();
    EXPECT_EQ(rig.ReceivedTexts(), (QStringList{u"first"_s, u"second"_s}));
    EXPECT_TRUE(rig.PhoneListing().isEmpty());
}

// The modem pulled out twice during a batch: the batch ends there and the rows after the one in
// flight use no attempt, so none ends as "not sent" without reaching the modem.
TEST(GatewayJournal, ModemPulledDuringABatchCostsTheRestNoAttempt) {
    GatewayRig rig;
    for (int i = 0; i < 4; ++i)
        rig.AddSendRow(u"7900555000%1"_s.arg(i), u"row %1"_s.arg(i));
    // Pulled while the cycle waits for the phone, once it has taken one row.
    QTimer pull;
    QObject::connect(&pull, &QTimer::timeout, [&] {
        int sent = 0;
        for (int pos = 1; pos <= rig.G().Sending().count(); ++pos)
            sent += rig.G().Sending().item(pos).Status() == MsgToSend::StatusSent ? 1 : 0;
        if (rig.Modem().running() && sent == 1)
            rig.Modem().stop();
    });
    const QStringList slow = {u"--latency"_s, u"30"_s};
    ASSERT_TRUE(rig.StartModem(slow));
    rig.Start();
    pull.start(5);
    rig.G().RunCycle();  // row 0 sent, the modem gone during row 1
    ASSERT_EQ(rig.G().Sending().count(), 3);
    EXPECT_LE(rig.G().Sending().item(1).SendAttempts(), 1);
    EXPECT_EQ(rig.G().Sending().item(2).SendAttempts() + rig.G().Sending().item(3).SendAttempts(),
              0);
    ASSERT_TRUE(rig.StartModem(slow));
    rig.G().RunCycle();  // row 1 sent, the modem gone during row 2
    pull.stop();
    ASSERT_TRUE(rig.StartModem());
    rig.G().RunCycle();
    for (const auto& row : rig.SendRows())
        EXPECT_EQ(row.status, 2) << row.id.toStdString();
}

// A journal that takes no line (the disk is full): nothing is sent that it could not record; the
// failure is logged once a cycle and lights the files lamps; the incoming side goes on.
TEST(GatewayJournal, FullDiskUnderTheJournalSendsNothing) {
    GatewayRig rig;
    ASSERT_TRUE(QFile::link(u"/dev/full"_s, rig.Folder() + u"/Pelorus.journal"_s));
    ASSERT_TRUE(rig.StartModem({}, {Inbox(u"ME"_s, u"kept"_s)}));
    rig.AddSendRow();
    rig.Start();
    rig.RunCycles(2);
    EXPECT_TRUE(rig.Modem().sentPdus().isEmpty());
    EXPECT_EQ(rig.Status(0), 1);
    EXPECT_EQ(rig.view.LogCount(u"Code: 200;  Descr: Cant write journal"_s), 2);
    EXPECT_EQ(rig.G().Lamps().colour(2 * AlarmFiles), AlarmLamps::kRed);
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{u"kept"_s});
}

}  // namespace
