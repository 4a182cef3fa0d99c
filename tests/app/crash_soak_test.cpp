// A short crash soak in the suite: scripts/soak.sh with a hundred rows and a hundred messages
// each way, the headless gateway killed with SIGKILL four times at seeded moments. Everything must
// arrive exactly once.
#include <gtest/gtest.h>

#include <QProcess>

#include "testsupport.h"

using namespace Qt::StringLiterals;

TEST(CrashSoak, HundredEachWayThroughFourKills) {
    QProcess soak;
    soak.setProcessChannelMode(QProcess::MergedChannels);
    soak.start(u"bash"_s, {testsupport::SourceDir() + u"/scripts/soak.sh"_s, u"--seed"_s, u"7"_s,
                           u"--rows"_s, u"100"_s, u"--messages"_s, u"100"_s, u"--kills"_s, u"4"_s,
                           u"--build"_s, testsupport::BinaryDir()});
    ASSERT_TRUE(soak.waitForFinished(240000));
    const QString output = QString::fromUtf8(soak.readAll());
    EXPECT_EQ(soak.exitCode(), 0) << output.toStdString();  // nothing twice, nothing lost
}
