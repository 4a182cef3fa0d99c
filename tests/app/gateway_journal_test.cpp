// What scripts cannot show (see gateway_scenarios.tsv for the rest): a batch the modem leaves
// twice, a tick arriving during a cycle.
#include <gtest/gtest.h>

#include <QTimer>

#include "GatewayTestKit.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

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

TEST(GatewayTick, ATickArrivingDuringACycleIsIgnored) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetSetting(u"Phone/Period"_s, u"1"_s);
    rig.Start();
    int nestedTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++nestedTicks;
        rig.G().Tick();
    });
    timer.start(0);  // fires whenever the cycle lets events run
    rig.G().Tick();
    timer.stop();
    EXPECT_GT(nestedTicks, 0);
    EXPECT_EQ(rig.G().CyclesRun(), 1);
    EXPECT_EQ(rig.G().Countdown().TickCounter(), 0);
}

}  // namespace
