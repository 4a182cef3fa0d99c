#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "SmallTmpfs.h"
#include "db/AdoClass.h"
#include "files/AlarmLamps.h"
#include "files/FileFolder.h"
#include "files/LogLines.h"
#include "files/LogTexts.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "testsupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

const QDateTime kBeforeMidnight(QDate(2010, 11, 5), QTime(23, 59, 59));

// A scratch folder holding the settings file (INIFileName points at it) and a log folder.
class FolderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString savedIni = INIFileName;
    FixedClock clock{kBeforeMidnight};
    AlarmLamps lamps;
    FileFolder folder{&lamps, clock};

    void SetUp() override {
        INIFileName = path(QStringLiteral("Pelorus.ini"));
        ForgetIniCache();
    }
    void TearDown() override {
        INIFileName = savedIni;
        ForgetIniCache();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString logFolder() const {
        QDir().mkpath(path(QStringLiteral("Logs")));
        return path(QStringLiteral("Logs"));
    }
    bool log(const QString& text) {
        return folder.WriteFile(FileFolder::kLogFileKind, LogLine(clock.now(), text));
    }
};

using LogFileTest = FolderTest;

TEST_F(LogFileTest, FirstLineAfterMidnightStartsTheNewDaysFile) {
    folder.setLogFolder(logFolder());
    ASSERT_TRUE(log(LogTexts::CantSendLine(2, QStringLiteral("17"))));
    clock.advanceSecs(1);
    ASSERT_TRUE(log(LogTexts::kCantOpenPortCheckPhone));
    clock.advanceSecs(3600);
    ASSERT_TRUE(log(LogTexts::CantDeleteLine(QStringLiteral("13"))));

    EXPECT_EQ(ReadBytes(path(QStringLiteral("Logs/20101105.txt"))),
              QByteArray("05.11.2010 23:59:59;   PHONE Error;   Code: 102;  Descr: Impossible to "
                         "send message; Procedure: SendMsgFromSendCollection\t; Attempt: 2; MsgID: "
                         "17\r\n"));
    EXPECT_EQ(ReadBytes(path(QStringLiteral("Logs/20101106.txt"))),
              QByteArray("06.11.2010 00:00:00;   PHONE Error;   Code: 100;  Descr: Cant open "
                         "comport; Procedure: CheckPhone\r\n"
                         "06.11.2010 01:00:00;   PHONE Error;   Code: 103;  Descr: Cant delete MSG "
                         "from phone; Procedure: DeleteMsgFromRecCollection\t; MsgID: 13;\r\n"));
}

TEST_F(LogFileTest, LinesAreAppendedToWhatTheDayAlreadyHolds) {
    // The database gateway writes into the same file between our lines.
    ASSERT_TRUE(WriteBytes(path(QStringLiteral("Logs/20101105.txt")), "earlier line\r\n"));
    folder.setLogFolder(path(QStringLiteral("Logs")));
    ASSERT_TRUE(log(LogTexts::kUpdateSentFailed));
    EXPECT_TRUE(
        ReadBytes(path(QStringLiteral("Logs/20101105.txt")))
            .startsWith("earlier line\r\n05.11.2010 23:59:59;   ADO Error;     Code: 001;"));
}

TEST_F(LogFileTest, OnlyTheLogKindWrites) {
    folder.setLogFolder(logFolder());
    for (int kind : {0, 1, 2, 4})
        EXPECT_FALSE(folder.WriteFile(kind, QStringLiteral("x"))) << kind;
    EXPECT_TRUE(QDir(logFolder()).isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.txt")}).isEmpty());
}

TEST_F(LogFileTest, EmptyLogFolderWritesBesideTheSettingsFile) {
    folder.setLogFolder(path(QStringLiteral("missing")));
    EXPECT_EQ(folder.LogFolder(), QString());
    EXPECT_EQ(folder.EffectiveLogFolder(), dir.path());
    ASSERT_TRUE(log(LogTexts::kNoAnswerCheckPhone));
    EXPECT_TRUE(ReadBytes(path(QStringLiteral("20101105.txt"))).contains("Code: 101;"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/20101105.txt")));
}

TEST_F(LogFileTest, FailedWriteReportsFalseAndLosesNothingElse) {
    folder.setLogFolder(logFolder());
    ASSERT_TRUE(log(QStringLiteral("first day")));
    const QByteArray firstDay = ReadBytes(path(QStringLiteral("Logs/20101105.txt")));

    // The next day's name is taken by a folder: the file cannot be opened (even as root).
    clock.advanceSecs(1);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("Logs/20101106.txt"))));
    EXPECT_FALSE(log(QStringLiteral("second day")));
    EXPECT_EQ(ReadBytes(path(QStringLiteral("Logs/20101105.txt"))), firstDay);
    EXPECT_TRUE(QDir(path(QStringLiteral("Logs/20101106.txt"))).isEmpty());

    // The log folder is removed under us: it is made again, nothing lands beside the settings.
    ASSERT_TRUE(QDir(logFolder()).removeRecursively());
    EXPECT_TRUE(log(QStringLiteral("folder gone")));
    EXPECT_TRUE(ReadBytes(path(QStringLiteral("Logs/20101106.txt"))).endsWith("folder gone\r\n"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("20101106.txt"))));

    // A file stands where the folder was: the line is lost, and the files lamp says so.
    ASSERT_TRUE(QDir(logFolder()).removeRecursively());
    ASSERT_TRUE(WriteBytes(path(QStringLiteral("Logs")), "not a folder"));
    EXPECT_FALSE(log(QStringLiteral("no folder")));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
}

// Mend: without a log folder the database gateway's lines went nowhere. Now they join the
// gateway's beside the settings file, and a value holding CR, LF or ESC stays on its line.
TEST_F(LogFileTest, BothWritersShareTheFallbackAndEscapeValues) {
    ASSERT_TRUE(WriteBytes(path(QStringLiteral("gw.db")), QByteArray()));
    ASSERT_TRUE(WriteSetting(Setting::ServerSbType, QStringLiteral("6")));
    ASSERT_TRUE(WriteSetting(Setting::ServerDbNameForConnect, path(QStringLiteral("gw.db"))));
    const QString stamp = QStringLiteral("05.11.2010 23:59:59;   ");
    const QString planted = QStringLiteral("x\r\n") + stamp + QStringLiteral("PHONE Error\x1B");
    EXPECT_FALSE(AdoClass(&lamps, clock).ExecuteQuery(QStringLiteral("SELECT '") + planted));
    ASSERT_TRUE(log(planted));
    const QStringList lines = QString::fromUtf8(ReadBytes(path(QStringLiteral("20101105.txt"))))
                                  .split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5);  // executing, error, statement, gateway; then the last line end
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[i].startsWith(stamp)) << lines[i].toStdString();
    EXPECT_TRUE(
        lines[3].endsWith(QStringLiteral("x\\r\\n") + stamp + QStringLiteral("PHONE Error\\x1B")));
}

// Mend: on a full disk a cut line stayed unended and the next was glued on. A line the disk
// cannot take whole is taken back, the files lamp goes red, and an unended line is ended first.
TEST_F(LogFileTest, FullDiskLeavesNoHalfLine) {
    SmallTmpfs disk("size=12k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(WriteBytes(disk.filePath(QStringLiteral("20101105.txt")), "unended"));
    folder.setLogFolder(disk.filePath(QString()));
    QStringList expected{QStringLiteral("unended")};
    while (expected.size() < 1000 && log(QStringLiteral("line %1").arg(expected.size())))
        expected << LogLine(clock.now(), QStringLiteral("line %1").arg(expected.size()));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
    expected << QString();
    EXPECT_EQ(QString::fromUtf8(ReadBytes(disk.filePath(QStringLiteral("20101105.txt"))))
                  .split(QStringLiteral("\r\n")),
              expected);
}

// Mend: Phone/Period=40000 wrapped to -25537. Numbers are clamped to their type, with one log
// line per key and value in the log of the store set up at start.
TEST_F(LogFileTest, NumbersOutsideTheirTypeAreClampedWithOneLogLine) {
    SetUpLogFolder(folder, dir.path());
    for (const char* value : {"40000", "-40000", "99999999999999999999", "40000"}) {
        ASSERT_TRUE(WriteSetting(Setting::PhonePeriod, QString::fromUtf8(value)));
        EXPECT_EQ(SettingNumber(Setting::PhonePeriod), value[0] == '-' ? -32768 : 32767);
    }
    ASSERT_TRUE(WriteSetting(Setting::SmsLongID, QStringLiteral("300")));
    EXPECT_EQ(SettingLeadingNumber(Setting::SmsLongID), 255);
    const QByteArray lines = ReadBytes(path(QStringLiteral("Logs/20101105.txt")));
    EXPECT_EQ(lines.count('\n'), 4);
    EXPECT_TRUE(
        lines.startsWith("05.11.2010 23:59:59;   Settings;      Phone/Period=40000 is out "
                         "of range; 32767 used\r\n"));
}

TEST(LogLineShapes, FixedTextsKeepTheirColumns) {
    // Family name padded to 15 characters, then the three-digit code and the description.
    const QString texts[] = {
        LogTexts::kUpdateSentFailed,
        LogTexts::kUpdateNotSentFailed,
        LogTexts::kWriteReceivedFailed,
        LogTexts::kCantOpenPortCheckPhone,
        LogTexts::kCantOpenPortCopyFromPhone,
        LogTexts::kNoAnswerCheckPhone,
        LogTexts::kNoAnswerCopyFromPhone,
        LogTexts::kCantSend,
        LogTexts::kCantDelete,
    };
    for (const QString& text : texts) {
        EXPECT_EQ(text.indexOf(QStringLiteral("Code: ")), 15) << text.toStdString();
        EXPECT_EQ(text.indexOf(QStringLiteral(";  Descr: ")), 24) << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("; Procedure: ")), 1) << text.toStdString();
    }
    EXPECT_TRUE(
        LogTexts::CantSendLine(2, QStringLiteral("17"))
            .endsWith(QStringLiteral("SendMsgFromSendCollection\t; Attempt: 2; MsgID: 17")));
    EXPECT_TRUE(LogTexts::CantDeleteLine(QStringLiteral("213"))
                    .endsWith(QStringLiteral("DeleteMsgFromRecCollection\t; MsgID: 213;")));
    EXPECT_EQ(LogLine(QDateTime(QDate(2024, 2, 29), QTime(7, 5, 9)), QStringLiteral("x")),
              QStringLiteral("29.02.2024 07:05:09;   x"));
}

using CreateFolderTest = FolderTest;

TEST_F(CreateFolderTest, ExistingFolderTouchesNothing) {
    int messages = 0;
    folder.onMessage = [&](const QString&, const QString&) { ++messages; };
    EXPECT_TRUE(folder.CreateFolder(dir.path()));
    EXPECT_EQ(messages, 0);
    EXPECT_EQ(folder.Error(), QString());
    for (int lamp = 0; lamp < AlarmLamps::kLamps; ++lamp)
        EXPECT_EQ(lamps.colour(lamp), AlarmLamps::kIdle) << lamp;
}

TEST_F(CreateFolderTest, CreatedFolderReportsSuccessOnTheFilesLamp) {
    lamps.SetAlarm(AlarmFiles, AlarmRaised);
    const QString nested = path(QStringLiteral("a/b/Logs"));
    EXPECT_TRUE(folder.CreateFolder(nested));
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(5), AlarmLamps::kRed);  // the earlier alarm stays latched
    EXPECT_EQ(folder.Error(), QString());
}

TEST_F(CreateFolderTest, FailureSetsErrorShowsMessageAndRaisesFilesAlarm) {
    ASSERT_TRUE(WriteBytes(path(QStringLiteral("plain")), "a file, not a folder"));
    const QString impossible = path(QStringLiteral("plain/Logs"));
    QString title, text;
    folder.onMessage = [&](const QString& t, const QString& m) {
        title = t;
        text = m;
    };
    int restores = 0;
    lamps.onRestoreRequested = [&] { ++restores; };

    EXPECT_FALSE(folder.CreateFolder(impossible));
    EXPECT_EQ(folder.Error(), QStringLiteral("Can't create folder: ") + impossible);
    EXPECT_EQ(title, QStringLiteral("Ошибка"));
    EXPECT_EQ(text, QStringLiteral("Ошибка при создании папки: ") + impossible);
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
    EXPECT_EQ(lamps.colour(5), AlarmLamps::kRed);
    EXPECT_EQ(lamps.colour(2), AlarmLamps::kIdle);
    EXPECT_EQ(restores, 1);
}

using LogFolderSetUpTest = FolderTest;

TEST_F(LogFolderSetUpTest, MissingOrEmptySettingBecomesTheProgramsLogsFolder) {
    const QString appFolder = path(QStringLiteral("app"));
    const QString expected = QDir(appFolder).filePath(QStringLiteral("Logs"));
    for (const QString& setting : {QString(), path(QStringLiteral("gone"))}) {
        QDir(appFolder).removeRecursively();
        ASSERT_TRUE(WriteSetting(Setting::FoldersLogs, setting));
        EXPECT_EQ(SetUpLogFolder(folder, appFolder), expected) << setting.toStdString();
        EXPECT_EQ(ReadSetting(Setting::FoldersLogs), expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
        EXPECT_EQ(folder.LogFolder(), expected);
    }
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
}

TEST_F(LogFolderSetUpTest, ExistingFolderInTheSettingIsKept) {
    const QString logs = logFolder();
    ASSERT_TRUE(WriteSetting(Setting::FoldersLogs, logs));
    EXPECT_EQ(SetUpLogFolder(folder, path(QStringLiteral("app"))), logs);
    EXPECT_EQ(ReadSetting(Setting::FoldersLogs), logs);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("app"))));
}

TEST(OpenFileFilters, PairsForEachExtensionThenAllFiles) {
    struct Case {
        QString filter1, filter2;
        QStringList pairs;
    } cases[] = {
        {"", "", {"(*.*)", "*.*"}},
        {"mdb", "", {"(*.mdb)", "*.mdb", "(*.*)", "*.*"}},
        {"", "fdb", {"(*.fdb)", "*.fdb", "(*.*)", "*.*"}},
        {"accdb", "mdb", {"(*.accdb)", "*.accdb", "(*.mdb)", "*.mdb", "(*.*)", "*.*"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenFileFilterPairs(c.filter1, c.filter2), c.pairs)
            << c.filter1.toStdString() << "/" << c.filter2.toStdString();
}

TEST(OpenFileFilters, DialogGetsFolderFiltersAndTitle) {
    FileFolder folder;
    EXPECT_EQ(folder.OpenFile(QStringLiteral("/opt/app"), QStringLiteral("mdb")), QString());

    QString initDir, title;
    QStringList pairs;
    QString answer = QStringLiteral("/data/base.mdb");
    folder.openFileDialog = [&](const QString& d, const QStringList& p, const QString& t) {
        initDir = d;
        pairs = p;
        title = t;
        return answer;
    };
    EXPECT_EQ(folder.OpenFile(QStringLiteral("/opt/app"), QStringLiteral("mdb")), answer);
    EXPECT_EQ(initDir, QStringLiteral("/opt/app"));
    EXPECT_EQ(pairs, QStringList({"(*.mdb)", "*.mdb", "(*.*)", "*.*"}));
    EXPECT_EQ(title, QStringLiteral("Открыть файла"));
    answer.clear();  // cancelled
    EXPECT_EQ(folder.OpenFile(QStringLiteral("/opt/app")), QString());
}

}  // namespace
