// pelorus --headless as a program: cycles against the virtual modem, its output, and SIGTERM
// acting as Stop.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>

#include "GatewayTestKit.h"
#include "settings/Ini.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

// Writes the rig's settings and starts the program headless on them, a cycle every period.
void StartHeadless(GatewayRig& rig, QProcess& p, const QStringList& extraArgs, int period = 1) {
    rig.SetSetting(u"Phone/Period"_s, QString::number(period));
    rig.WriteSettings();
    p.start(testsupport::BinaryDir() + u"/tools/pelorus/pelorus"_s,
            QStringList{u"--headless"_s, u"--config"_s, INIFileName} + extraArgs);
}

// SIGTERM during a batch: nothing is sent after the part in flight, what the phone accepted is
// written back before the exit, and the next start sends the rest, each row once.
TEST(Headless, TermDuringABatchEndsItAfterThePartInFlight) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({u"--latency"_s, u"100"_s}));
    constexpr int kRows = 8;
    for (int i = 0; i < kRows; ++i)
        rig.AddSendRow(u"7900555000%1"_s.arg(i), u"row %1"_s.arg(i));
    QProcess p;
    StartHeadless(rig, p, {u"--pause-percent"_s, u"20"_s});
    QElapsedTimer clock;
    clock.start();
    while (rig.Modem().sentPdus().isEmpty() && clock.elapsed() < 25000)
        QThread::msleep(10);
    const qsizetype atTerm = rig.Modem().sentPdus().size();
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(15000));
    const QString output = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(output.trimmed().endsWith(u"Stopped."_s)) << output.toStdString();
    const qsizetype atExit = rig.Modem().sentPdus().size();
    EXPECT_LE(atExit, atTerm + 1);
    int written = 0;
    for (const auto& row : rig.SendRows())
        written += row.status == 2 ? 1 : 0;
    EXPECT_EQ(written, atExit);

    StartHeadless(rig, p, {u"--cycles"_s, u"1"_s, u"--pause-percent"_s, u"20"_s});
    ASSERT_TRUE(p.waitForFinished(30000));
    for (const auto& row : rig.SendRows())
        EXPECT_EQ(row.status, 2) << row.id.toStdString();
    EXPECT_EQ(rig.Modem().sentPdus().size(), kRows);
}

TEST(Headless, StopsAfterTheCyclesAskedForAndAnswersTheCentreQuestion) {
    for (const bool adopt : {false, true}) {
        SCOPED_TRACE(adopt);
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({u"--smsc"_s, u"+79005550000"_s}));
        QProcess p;
        StartHeadless(rig, p,
                      QStringList{u"--cycles"_s, u"2"_s, u"--pause-percent"_s, u"5"_s} +
                          (adopt ? QStringList{u"--adopt-smsc"_s} : QStringList{}),
                      3);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString output = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(output.count(u"Status: Обработка отправленных сообщений"_s), 2);
        // Not a line a second: the countdown shows once per cycle.
        EXPECT_EQ(output.count(u"Status: До подключения осталось"_s), 2) << output.toStdString();
        EXPECT_TRUE(output.contains(u"Question: Несовпадение номера SMS центра!"_s));
        EXPECT_TRUE(output.contains(adopt ? u"Answer: Yes"_s : u"Answer: No"_s));
        EXPECT_EQ(rig.SettingInFile(u"SMS"_s, u"SMSC"_s),
                  adopt ? u"79005550000"_s : u"79001111111"_s);
    }
}

}  // namespace
