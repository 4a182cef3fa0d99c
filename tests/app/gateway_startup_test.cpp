// Start-up, the start-up checks, the one-second tick, re-initialisation and Stop.
#include <gtest/gtest.h>

#include <QDir>
#include <QTimer>

#include "GatewayTestKit.h"
#include "db/AdoClass.h"
#include "files/FileFolder.h"
#include "files/LogTexts.h"
#include "settings/Ini.h"

using gatewaytest::GatewayRig;

namespace {

const QString kQuestionTitle = QStringLiteral("Несовпадение номера SMS центра!");

TEST(GatewayStartup, LoadSetsUpTheLogFolderAndDrawsFullGauges) {
    GatewayRig rig;
    rig.settings.remove(QStringLiteral("Folders/Logs"));
    rig.Load();
    const QString logs = QDir(rig.Folder()).filePath(QStringLiteral("Logs"));
    EXPECT_EQ(rig.SettingInFile(QStringLiteral("Folders"), QStringLiteral("Logs")), logs);
    EXPECT_EQ(rig.G().Folder().LogFolder(), logs);
    EXPECT_EQ(rig.view.battery, QList<int>{100});
    EXPECT_EQ(rig.view.antenna, QList<int>{100});
    EXPECT_TRUE(rig.G().CloseAllowed());
    EXPECT_FALSE(rig.G().IsRunning());
}

TEST(GatewayStartup, CentreQuestionAnsweredBothWays) {
    for (const bool yes : {true, false}) {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({QStringLiteral("--smsc"), QStringLiteral("+79005550000")}));
        rig.view.answerYes = yes;
        rig.Load();
        EXPECT_TRUE(rig.G().Start());
        ASSERT_EQ(rig.view.questions.size(), 1);
        EXPECT_EQ(rig.view.questions[0].first, kQuestionTitle);
        EXPECT_EQ(rig.view.questions[0].second,
                  QStringLiteral("Номер SMS центра телефона: 79005550000\nне совпадает с номером "
                                 "SMS центра, указанным в настройках программы: 79001111111\n\n"
                                 "Исправить номер SMS центра в настройках программы?"));
        EXPECT_EQ(rig.SettingInFile(QStringLiteral("SMS"), QStringLiteral("SMSC")),
                  yes ? QStringLiteral("79005550000") : QStringLiteral("79001111111"));
        // The number in use changes only at the next checks.
        EXPECT_EQ(rig.G().SMSC(), QStringLiteral("79001111111"));
        EXPECT_TRUE(rig.G().IsRunning());
    }
}

TEST(GatewayStartup, NoQuestionWhenTheCentresAgree) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());  // reports +79001111111, as the settings hold
    rig.Load();
    EXPECT_TRUE(rig.G().CheckPhone());
    EXPECT_TRUE(rig.view.questions.isEmpty());
    EXPECT_TRUE(rig.view.statuses.last().startsWith(QStringLiteral("Найден телефон: '")));
    EXPECT_EQ(rig.G().Period(), 10);
}

TEST(GatewayStartup, DatabaseDownPhoneUpStartsNormally) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetDatabaseDown(true);
    rig.Load();
    EXPECT_TRUE(rig.G().Start());
    EXPECT_TRUE(
        rig.view.statuses.contains(QStringLiteral("Соединение с сервером не установлено.")));
    EXPECT_TRUE(rig.view.statuses.last().startsWith(QStringLiteral("Найден телефон: '")));
    EXPECT_EQ(rig.view.LogCount(QStringLiteral("PHONE Error")), 0);
    EXPECT_TRUE(rig.G().IsRunning());
}

TEST(GatewayStartup, PhoneAbsentOrSilentStillStarts) {
    {
        GatewayRig rig;
        rig.Load();
        EXPECT_FALSE(rig.G().Start());
        EXPECT_EQ(rig.view.statuses.last(), QStringLiteral("Порт не открыт!"));
        EXPECT_EQ(rig.view.LogCount(LogTexts::kCantOpenPortCheckPhone), 1);
        EXPECT_EQ(rig.view.restores, 1);
        EXPECT_TRUE(rig.G().IsRunning());
    }
    {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({QStringLiteral("--silent")}));
        rig.Load();
        EXPECT_FALSE(rig.G().Start());
        EXPECT_EQ(rig.view.statuses.last(),
                  QStringLiteral("Порт открыт, но телефон не отвечает на запрос."));
        EXPECT_EQ(rig.view.LogCount(LogTexts::kNoAnswerCheckPhone), 1);
    }
}

TEST(GatewayTick, CountsDownRunsTheCycleAndStartsOver) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetSetting(QStringLiteral("Phone/Period"), QStringLiteral("4"));
    rig.Load();
    rig.G().Start();
    rig.view.statuses.clear();
    for (int i = 0; i < 5; ++i)
        rig.G().Tick();
    EXPECT_EQ(rig.G().CyclesRun(), 1);
    const QStringList countdown = rig.view.statuses.filter(QStringLiteral("До подключения"));
    EXPECT_EQ(countdown, (QStringList{QStringLiteral("До подключения осталось: 3"),
                                      QStringLiteral("До подключения осталось: 2"),
                                      QStringLiteral("До подключения осталось: 1"),
                                      QStringLiteral("До подключения осталось: 0"),
                                      QStringLiteral("До подключения осталось: 3")}));
}

TEST(GatewayTick, ReinitialisesEveryReinitPeriodCycles) {
    const struct {
        QString reinit;
        int expected;  // over six periods
    } rows[] = {{QStringLiteral("2"), 3}, {QStringLiteral("3"), 2}, {QStringLiteral("0"), 3}};
    for (const auto& r : rows) {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem());
        rig.SetSetting(QStringLiteral("Phone/Period"), QStringLiteral("6"));
        rig.SetSetting(QStringLiteral("Reinit/Period"), r.reinit);
        rig.Load();
        rig.G().Start();
        const QString first = rig.G().Database().connectionName();
        for (int i = 0; i < 6 * 6; ++i)
            rig.G().Tick();
        EXPECT_EQ(rig.G().CyclesRun(), 6);
        EXPECT_EQ(rig.view.statuses.count(QStringLiteral("Выполнена реинициализация ADO")),
                  r.expected)
            << r.reinit.toStdString();
        EXPECT_NE(rig.G().Database().connectionName(), first);
        // The re-initialisation re-ran the checks (and the new gateway object works).
        EXPECT_EQ(rig.view.statuses.count(QStringLiteral("Соединение с сервером проверено.")),
                  1 + r.expected);
    }
}

TEST(GatewayTick, StopDuringTheCountdownClosesAtTheNextTickWithoutACycle) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.Load();
    rig.G().Start();
    for (int i = 0; i < 3; ++i)
        rig.G().Tick();
    EXPECT_FALSE(rig.G().CloseAllowed());
    rig.G().Stop();
    EXPECT_TRUE(rig.G().CloseAllowed());
    EXPECT_EQ(rig.view.closeRequests, 0);
    rig.G().Tick();
    EXPECT_EQ(rig.view.closeRequests, 1);
    EXPECT_EQ(rig.G().CyclesRun(), 0);
}

TEST(GatewayTick, ATickArrivingDuringACycleIsIgnored) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    rig.SetSetting(QStringLiteral("Phone/Period"), QStringLiteral("1"));
    rig.Load();
    rig.G().Start();
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
