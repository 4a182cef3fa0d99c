// Both log writers on a bad day: no log folder set, hostile texts, a full disk.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "SmallTmpfs.h"
#include "db/AdoClass.h"
#include "files/AlarmLamps.h"
#include "files/FileFolder.h"
#include "files/LogLines.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "testsupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

const QDateTime kMoment(QDate(2010, 11, 5), QTime(23, 59, 59));
const QString kStamp = QStringLiteral("05.11.2010 23:59:59;   ");

// Without a log folder the database gateway's lines join the gateway's beside the settings file;
// a value holding CR, LF or ESC stays on its line in both writers' lines.
TEST(LogSafety, BothWritersShareTheFallbackFolderAndEscapeValues) {
    QTemporaryDir dir;
    const QString saved = INIFileName;
    INIFileName = dir.filePath(QStringLiteral("Pelorus.ini"));
    ForgetIniCache();
    ASSERT_TRUE(WriteBytes(dir.filePath(QStringLiteral("gw.db")), QByteArray()));
    ASSERT_TRUE(WriteSetting(Setting::ServerSbType, QStringLiteral("6")));
    ASSERT_TRUE(
        WriteSetting(Setting::ServerDbNameForConnect, dir.filePath(QStringLiteral("gw.db"))));
    FixedClock clock(kMoment);
    AlarmLamps lamps;
    const QString planted = QStringLiteral("x\r\n") + kStamp + QStringLiteral("PHONE Error\x1B");
    {
        AdoClass ado(&lamps, clock);
        EXPECT_FALSE(ado.ExecuteQuery(QStringLiteral("SELECT '") + planted));
    }
    FileFolder folder(&lamps, clock);
    ASSERT_TRUE(folder.WriteFile(FileFolder::kLogFileKind, LogLine(kMoment, planted)));

    const QString log = QString::fromUtf8(ReadBytes(dir.filePath(QStringLiteral("20101105.txt"))));
    QStringList lines = log.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.takeLast(), QString());
    ASSERT_EQ(lines.size(), 4) << log.toStdString();  // executing, error, statement, gateway
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith(kStamp)) << line.toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("x\\r\\n") + kStamp +
                                      QStringLiteral("PHONE Error\\x1B")));
    EXPECT_EQ(EscapedForLog(QStringLiteral("a\tb\x7F\u2028")), QStringLiteral("a\tb\\x7F\\u2028"));
    INIFileName = saved;
    ForgetIniCache();
}

// A line the disk cannot take whole is taken back; a line left unended by someone else is ended
// before the next. Every line in the file stays whole.
TEST(LogSafety, FullDiskLeavesNoHalfLine) {
    SmallTmpfs disk("size=16k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString file = disk.filePath(QStringLiteral("20101105.txt"));
    ASSERT_TRUE(WriteBytes(disk.filePath(QStringLiteral("spare")), QByteArray(4000, 's')));
    ASSERT_TRUE(WriteBytes(file, "unended"));
    AlarmLamps lamps;
    int written = 0;
    while (written < 1000 &&
           WriteLogLine(disk.filePath(QString()), kMoment.date(),
                        QStringLiteral("line %1 of the day").arg(written), &lamps))
        ++written;
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
    ASSERT_TRUE(QFile::remove(disk.filePath(QStringLiteral("spare"))));
    ASSERT_TRUE(AppendLine(file, QStringLiteral("after")));

    QStringList expected{QStringLiteral("unended")};
    for (int i = 0; i < written; ++i)
        expected << QStringLiteral("line %1 of the day").arg(i);
    expected << QStringLiteral("after") << QString();
    EXPECT_EQ(QString::fromUtf8(ReadBytes(file)).split(QStringLiteral("\r\n")), expected);
}

TEST(LogSafety, TheSettingsReadersLinesGoToTheLog) {
    QTemporaryDir dir;
    const QString saved = INIFileName;
    INIFileName = dir.filePath(QStringLiteral("Pelorus.ini"));
    ForgetIniCache();
    FixedClock clock(kMoment);
    {
        FileFolder folder(nullptr, clock);
        SetUpLogFolder(folder, dir.path());
        ASSERT_TRUE(WriteSetting(Setting::ReinitPeriod, QStringLiteral("70000")));
        EXPECT_EQ(SettingNumber(Setting::ReinitPeriod), 32767);
    }
    EXPECT_EQ(SettingNumber(Setting::ReinitPeriod), 32767);  // the store is gone: no crash
    EXPECT_EQ(ReadBytes(dir.filePath(QStringLiteral("Logs/20101105.txt"))),
              (kStamp + QStringLiteral("Settings;      Reinit/Period=70000 is out of range; "
                                       "32767 used\r\n"))
                  .toUtf8());
    INIFileName = saved;
    ForgetIniCache();
}

}  // namespace
