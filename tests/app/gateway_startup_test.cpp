// Start-up, the start-up checks, the one-second tick, re-initialisation and Stop.
#include <gtest/gtest.h>

#include <QDir>
#include <QTimer>

#include "GatewayTestKit.h"
#include "db/AdoClass.h"
#include "files/FileFolder.h"
#include "files/LogTexts.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

TEST(GatewayStartup, CentreQuestionAnsweredBothWays) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({u"--smsc"_s, u"+79005550000"_s}));
        rig.view.answerYes = yes;
        rig.Load();
        EXPECT_TRUE(rig.G().Start());
        ASSERT_EQ(rig.view.questions.size(), 1);
        EXPECT_EQ(rig.view.questions[0].first, u"Несовпадение номера SMS центра!"_s);
        EXPECT_EQ(rig.view.questions[0].second,
                  u"Номер SMS центра телефона: 79005550000\nне совпадает с номером SMS центра, "
                  u"указанным в настройках программы: 79001111111\n\n"
                  u"Исправить номер SMS центра в настройках программы?"_s);
        EXPECT_EQ(rig.SettingInFile(u"SMS"_s, u"SMSC"_s),
                  yes ? u"79005550000"_s : u"79001111111"_s);
        // The number in use changes only at the next checks.
        EXPECT_EQ(rig.G().SMSC(), u"79001111111"_s);
        EXPECT_TRUE(rig.G().IsRunning());
    }
}

// The modem reports +79001111111, as the settings hold: no question, and a database that is down
// does not keep the gateway from starting.
TEST(GatewayStartup, DatabaseDownPhoneUpStartsWithoutAQuestion) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetDatabaseDown(true);
    rig.Load();
    EXPECT_TRUE(rig.G().Start());
    EXPECT_TRUE(rig.view.questions.isEmpty());
    EXPECT_TRUE(rig.view.statuses.contains(u"Соединение с сервером не установлено."_s));
    EXPECT_TRUE(rig.view.statuses.last().startsWith(u"Найден телефон: '"_s));
    EXPECT_EQ(rig.view.LogCount(u"PHONE Error"_s), 0);
    EXPECT_TRUE(rig.G().IsRunning());
    EXPECT_EQ(rig.G().Period(), 10);
}

TEST(GatewayStartup, LoadThenPhoneAbsentOrSilentStillStarts) {
    const struct {
        QStringList modem;  // empty: no modem
        QString status, log;
    } rows[] = {{{}, u"Порт не открыт!"_s, LogTexts::kCantOpenPortCheckPhone},
                {{u"--silent"_s},
                 u"Порт открыт, но телефон не отвечает на запрос."_s,
                 LogTexts::kNoAnswerCheckPhone}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.status.toStdString());
        GatewayRig rig;
        ASSERT_TRUE(r.modem.isEmpty() || rig.StartModem(r.modem));
        rig.Load();
        // No log folder in the settings: Load puts it beside the program and draws full gauges.
        const QString logs = QDir(rig.Folder()).filePath(u"Logs"_s);
        EXPECT_EQ(rig.SettingInFile(u"Folders"_s, u"Logs"_s), logs);
        EXPECT_EQ(rig.G().Folder().LogFolder(), logs);
        EXPECT_EQ(rig.view.battery, QList<int>{100});
        EXPECT_EQ(rig.view.antenna, QList<int>{100});
        EXPECT_TRUE(rig.G().CloseAllowed());
        EXPECT_FALSE(rig.G().IsRunning());
        EXPECT_FALSE(rig.G().Start());
        EXPECT_EQ(rig.view.statuses.last(), r.status);
        EXPECT_EQ(rig.view.LogCount(r.log), 1);
        EXPECT_EQ(rig.view.restores, 1);
        EXPECT_TRUE(rig.G().IsRunning());
    }
}

// The countdown runs the cycle at zero and starts over; a Stop during it closes at the next tick,
// which would otherwise have run the next cycle.
TEST(GatewayTick, CountsDownRunsTheCycleStartsOverAndStops) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetSetting(u"Phone/Period"_s, u"4"_s);
    rig.Start();
    rig.view.statuses.clear();
    for (int i = 0; i < 7; ++i)
        rig.G().Tick();
    EXPECT_EQ(rig.G().CyclesRun(), 1);
    QStringList countdown;
    for (const int left : {3, 2, 1, 0, 3, 2, 1})
        countdown << u"До подключения осталось: %1"_s.arg(left);
    EXPECT_EQ(rig.view.statuses.filter(u"До подключения"_s), countdown);
    EXPECT_FALSE(rig.G().CloseAllowed());
    rig.G().Stop();
    EXPECT_TRUE(rig.G().CloseAllowed());
    EXPECT_EQ(rig.view.closeRequests, 0);
    rig.G().Tick();
    EXPECT_EQ(rig.view.closeRequests, 1);
    EXPECT_EQ(rig.G().CyclesRun(), 1);
}

TEST(GatewayTick, ReinitialisesEveryReinitPeriodCycles) {
    const struct {
        QString reinit;
        int expected;  // over six periods
    } rows[] = {{u"2"_s, 3}, {u"3"_s, 2}, {u"0"_s, 3}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.reinit.toStdString());
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem());
        rig.SetSetting(u"Phone/Period"_s, u"6"_s);
        rig.SetSetting(u"Reinit/Period"_s, r.reinit);
        rig.Start();
        const QString first = rig.G().Database().connectionName();
        for (int i = 0; i < 6 * 6; ++i)
            rig.G().Tick();
        EXPECT_EQ(rig.G().CyclesRun(), 6);
        EXPECT_EQ(rig.view.statuses.count(u"Выполнена реинициализация ADO"_s), r.expected);
        EXPECT_NE(rig.G().Database().connectionName(), first);
        // The re-initialisation re-ran the checks (and the new gateway object works).
        EXPECT_EQ(rig.view.statuses.count(u"Соединение с сервером проверено."_s), 1 + r.expected);
    }
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
