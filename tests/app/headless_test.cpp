// pelorus --headless as a program: a cycle against the virtual modem and SIGTERM acting as Stop.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <csignal>

#include "GatewayTestKit.h"
#include "settings/Ini.h"
#include "testsupport.h"

using gatewaytest::GatewayRig;

namespace {

QString Program() {
    return testsupport::BinaryDir() + QStringLiteral("/tools/pelorus/pelorus");
}

// Waits until the program printed a line containing text; false on timeout or exit.
bool WaitForLine(QProcess& p, QString& output, const QString& text, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!output.contains(text)) {
        if (clock.elapsed() > timeoutMs || p.state() == QProcess::NotRunning)
            return false;
        p.waitForReadyRead(100);
        output += QString::fromUtf8(p.readAllStandardOutput());
    }
    return true;
}

TEST(Headless, TermDuringACycleFinishesItAndExitsWithZero) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(
        {QStringLiteral("--latency"), QStringLiteral("20")},
        {QStringLiteral("ME:") +
         gatewaytest::DeliverPdu(QStringLiteral("+79001234567"), QStringLiteral("hello"))}));
    rig.AddSendRow(QStringLiteral("79005550001"), QStringLiteral("Hello"));
    rig.SetSetting(QStringLiteral("Phone/Period"), QStringLiteral("1"));
    rig.Load();  // writes the settings file the program reads
    const QString config = INIFileName;

    QProcess p;
    p.start(Program(), {QStringLiteral("--headless"), QStringLiteral("--config"), config,
                        QStringLiteral("--pause-percent"), QStringLiteral("20")});
    ASSERT_TRUE(p.waitForStarted(5000));
    QString output;
    ASSERT_TRUE(WaitForLine(p, output, QStringLiteral("Status: Чтение сообщений из телефона")))
        << output.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(15000));
    output += QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    // The cycle in progress ran to its end before the program stopped.
    const int term = output.indexOf(QStringLiteral("Stop requested."));
    ASSERT_GE(term, 0) << output.toStdString();
    EXPECT_LT(output.indexOf(QStringLiteral("Обработка отправленных сообщений")), term);
    EXPECT_TRUE(output.trimmed().endsWith(QStringLiteral("Stopped.")));
    EXPECT_EQ(rig.ReceivedTexts(), QStringList{QStringLiteral("hello")});
    EXPECT_EQ(rig.SendRows().value(0).status, 2);
}

TEST(Headless, StopsAfterTheCyclesAskedForAndAnswersTheCentreQuestion) {
    for (const bool adopt : {false, true}) {
        GatewayRig rig;
        ASSERT_TRUE(rig.StartModem({QStringLiteral("--smsc"), QStringLiteral("+79005550000")}));
        rig.SetSetting(QStringLiteral("Phone/Period"), QStringLiteral("1"));
        rig.Load();
        QStringList args{QStringLiteral("--headless"),
                         QStringLiteral("--config"),
                         INIFileName,
                         QStringLiteral("--cycles"),
                         QStringLiteral("2"),
                         QStringLiteral("--pause-percent"),
                         QStringLiteral("5")};
        if (adopt)
            args << QStringLiteral("--adopt-smsc");
        QProcess p;
        p.start(Program(), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString output = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(output.count(QStringLiteral("Status: Обработка отправленных сообщений")), 2);
        EXPECT_TRUE(output.contains(QStringLiteral("Question: Несовпадение номера SMS центра!")));
        EXPECT_TRUE(
            output.contains(adopt ? QStringLiteral("Answer: Yes") : QStringLiteral("Answer: No")));
        EXPECT_EQ(rig.SettingInFile(QStringLiteral("SMS"), QStringLiteral("SMSC")),
                  adopt ? QStringLiteral("79005550000") : QStringLiteral("79001111111"));
    }
}

}  // namespace
