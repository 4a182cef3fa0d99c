// The service's status output: one self-rewriting line on a terminal; in the journal the phase
// lines and the countdown once per cycle, never a line per second.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTextStream>

#include "GatewayTestKit.h"
#include "app/CycleCountdown.h"
#include "app/HeadlessView.h"
#include "settings/Ini.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

TEST(HeadlessView, OnATerminalTheStatusLineRewritesItselfAndLogLinesBreakOut) {
    QString printed;
    QTextStream out(&printed);
    HeadlessView view(out, false, true);
    view.showStatus(CycleCountdown::CountdownText(2));
    view.showStatus(CycleCountdown::CountdownText(1));
    view.logWritten(u"line"_s);
    EXPECT_EQ(printed,
              u"\r\x1b[KStatus: До подключения осталось: 2"
              "\r\x1b[KStatus: До подключения осталось: 1\nLog: line\n"_s);
}

TEST(HeadlessView, TheServicesOutputOfTwoCyclesHoldsOneCountdownLinePerCycle) {
    gatewaytest::GatewayRig rig;
    ASSERT_TRUE(rig.StartModem({}));
    rig.SetSetting(u"Phone/Period"_s, u"3"_s);
    rig.WriteSettings();
    QProcess p;
    p.start(testsupport::BinaryDir() + u"/tools/pelorus/pelorus"_s,
            {u"--headless"_s, u"--config"_s, INIFileName, u"--cycles"_s, u"2"_s,
             u"--pause-percent"_s, u"5"_s});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString output = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(output.count(u"Status: Обработка отправленных сообщений"_s), 2);
    EXPECT_EQ(output.count(u"Status: До подключения осталось"_s), 2) << output.toStdString();
}
