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

// A scratch folder holding the settings file (INIFileName points at it) and a log folder.
class FolderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString savedIni = INIFileName;
    FixedClock clock{QDateTime(QDate(2010, 11, 5), QTime(23, 59, 59))};
    AlarmLamps lamps;
    FileFolder folder{&lamps, clock};

    void SetUp() override {
        INIFileName = path("Pelorus.ini");
        ForgetIniCache();
    }
    void TearDown() override {
        INIFileName = savedIni;
        ForgetIniCache();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString logFolder() const {
        QDir().mkpath(path("Logs"));
        return path("Logs");
    }
    bool log(const QString& text) {
        return folder.WriteFile(FileFolder::kLogFileKind, LogLine(clock.now(), text));
    }
};

// Lines join what the day's file holds already (the database gateway writes into it too); the
// first line after midnight starts the new day's file; only the log kind writes.
TEST_F(FolderTest, FirstLineAfterMidnightStartsTheNewDaysFile) {
    ASSERT_TRUE(WriteBytes(path("Logs/20101105.txt"), "earlier line\r\n"));
    folder.setLogFolder(path("Logs"));
    ASSERT_TRUE(log(LogTexts::CantSendLine(2, "17")));
    clock.advanceSecs(1);
    ASSERT_TRUE(log(LogTexts::kCantOpenPortCheckPhone));
    clock.advanceSecs(3600);
    ASSERT_TRUE(log(LogTexts::CantDeleteLine("13")));
    for (int kind : {0, 1, 2, 4})
        EXPECT_FALSE(folder.WriteFile(kind, "x")) << kind;
    EXPECT_EQ(QDir(dir.path()).entryList({"*.txt"}, QDir::Files), QStringList());
    EXPECT_EQ(QDir(path("Logs")).entryList(QDir::Files),
              QStringList({"20101105.txt", "20101106.txt"}));
    EXPECT_EQ(ReadBytes(path("Logs/20101105.txt")),
              "earlier line\r\n05.11.2010 23:59:59;   PHONE Error;   Code: 102;  Descr: "
              "Impossible to send message; Procedure: SendMsgFromSendCollection\t; Attempt: 2; "
              "MsgID: 17\r\n");
    EXPECT_EQ(
        ReadBytes(path("Logs/20101106.txt")),
        "06.11.2010 00:00:00;   PHONE Error;   Code: 100;  Descr: Cant open comport; "
        "Procedure: CheckPhone\r\n06.11.2010 01:00:00;   PHONE Error;   Code: 103;  Descr: "
        "Cant delete MSG from phone; Procedure: DeleteMsgFromRecCollection\t; MsgID: 13;\r\n");
}

TEST_F(FolderTest, FailedWriteReportsFalseAndLosesNothingElse) {
    folder.setLogFolder(logFolder());
    ASSERT_TRUE(log("first day"));
    const QByteArray firstDay = ReadBytes(path("Logs/20101105.txt"));
    // The next day's name is taken by a folder: the file cannot be opened (even as root).
    clock.advanceSecs(1);
    ASSERT_TRUE(QDir().mkpath(path("Logs/20101106.txt")));
    EXPECT_FALSE(log("second day"));
    EXPECT_EQ(ReadBytes(path("Logs/20101105.txt")), firstDay);
    EXPECT_TRUE(QDir(path("Logs/20101106.txt")).isEmpty());
    // The log folder is removed under us: it is made again, nothing lands beside the settings.
    ASSERT_TRUE(QDir(logFolder()).removeRecursively());
    EXPECT_TRUE(log("folder gone"));
    EXPECT_TRUE(ReadBytes(path("Logs/20101106.txt")).endsWith("folder gone\r\n"));
    EXPECT_FALSE(QFileInfo::exists(path("20101106.txt")));
    // A file stands where the folder was: the line is lost, and the files lamp says so.
    ASSERT_TRUE(QDir(logFolder()).removeRecursively());
    ASSERT_TRUE(WriteBytes(path("Logs"), "not a folder"));
    EXPECT_FALSE(log("no folder"));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
}

// Mend: without a log folder the database gateway's lines went nowhere. A missing folder counts
// as none, and both writers' lines go beside the settings file; a value holding a line break or
// another control character stays on its line.
TEST_F(FolderTest, BothWritersShareTheFallbackAndEscapeValues) {
    folder.setLogFolder(path("missing"));
    EXPECT_EQ(folder.LogFolder(), QString());
    ASSERT_TRUE(WriteBytes(path("gw.db"), QByteArray()));
    ASSERT_TRUE(WriteSetting(Setting::ServerSbType, "6"));
    ASSERT_TRUE(WriteSetting(Setting::ServerDbNameForConnect, path("gw.db")));
    const QString stamp = "05.11.2010 23:59:59;   ";
    const QString planted = "x\r\n" + stamp + "PHONE Error\x1B\x7F" + QChar(0x9F) + QChar(0xA0);
    EXPECT_FALSE(AdoClass(&lamps, clock).ExecuteQuery("SELECT '" + planted));
    ASSERT_TRUE(log(planted));
    const QStringList lines = QString::fromUtf8(ReadBytes(path("20101105.txt"))).split("\r\n");
    ASSERT_EQ(lines.size(), 5);  // executing, error, statement, gateway; then the last line end
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[i].startsWith(stamp)) << lines[i].toStdString();
    EXPECT_TRUE(lines[3].endsWith("x\\r\\n" + stamp + "PHONE Error\\x1B\\x7F\\x9F" + QChar(0xA0)))
        << lines[3].toStdString();
    EXPECT_FALSE(QFileInfo::exists("/20101105.txt"));
}

// Mend: on a full disk a cut line stayed unended and the next was glued on. A line the disk
// cannot take whole is taken back, the files lamp goes red, and an unended line is ended first.
TEST_F(FolderTest, FullDiskLeavesNoHalfLine) {
    SmallTmpfs disk("size=12k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(WriteBytes(disk.filePath("20101105.txt"), "unended"));
    folder.setLogFolder(disk.filePath(QString()));
    QStringList expected{"unended"};
    while (expected.size() < 1000 && log(QString("line %1").arg(expected.size())))
        expected << LogLine(clock.now(), QString("line %1").arg(expected.size()));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
    expected << QString();
    EXPECT_EQ(QString::fromUtf8(ReadBytes(disk.filePath("20101105.txt"))).split("\r\n"), expected);
}

// An existing folder touches nothing; one made shows on the files lamp; one that cannot be made
// sets the error, shows a message, raises the files alarm and asks for the window.
TEST_F(FolderTest, CreateFolderReportsOnTheFilesLamp) {
    QStringList messages;
    folder.onMessage = [&](const QString& title, const QString& m) { messages << title << m; };
    int restores = 0;
    lamps.onRestoreRequested = [&] { ++restores; };
    EXPECT_TRUE(folder.CreateFolder(dir.path()));
    for (int lamp = 0; lamp < AlarmLamps::kLamps; ++lamp)
        EXPECT_EQ(lamps.colour(lamp), AlarmLamps::kIdle) << lamp;
    EXPECT_TRUE(folder.CreateFolder(path("a/b/Logs")));
    EXPECT_TRUE(QFileInfo(path("a/b/Logs")).isDir());
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
    EXPECT_EQ(folder.Error(), QString());
    EXPECT_TRUE(messages.isEmpty());

    ASSERT_TRUE(WriteBytes(path("plain"), "a file, not a folder"));
    EXPECT_FALSE(folder.CreateFolder(path("plain/Logs")));
    EXPECT_EQ(folder.Error(), "Can't create folder: " + path("plain/Logs"));
    EXPECT_EQ(messages,
              QStringList({"Ошибка", "Ошибка при создании папки: " + path("plain/Logs")}));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kRed);
    EXPECT_EQ(lamps.colour(5), AlarmLamps::kRed);
    EXPECT_EQ(lamps.colour(2), AlarmLamps::kIdle);
    EXPECT_EQ(restores, 1);
    EXPECT_TRUE(folder.CreateFolder(path("c")));
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(5), AlarmLamps::kRed);  // the alarm stays latched
}

// A missing or empty setting becomes the program's Logs folder, made and written back; an
// existing folder in the setting is kept, and the settings readers' lines go to its log.
TEST_F(FolderTest, LogFolderSetUp) {
    const QString appFolder = path("app"), expected = path("app/Logs");
    for (const QString& setting : {QString(), path("gone")}) {
        QDir(appFolder).removeRecursively();
        ASSERT_TRUE(WriteSetting(Setting::FoldersLogs, setting));
        EXPECT_EQ(SetUpLogFolder(folder, appFolder), expected) << setting.toStdString();
        EXPECT_EQ(ReadSetting(Setting::FoldersLogs), expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
        EXPECT_EQ(folder.LogFolder(), expected);
    }
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
    ASSERT_TRUE(WriteSetting(Setting::FoldersLogs, logFolder()));
    EXPECT_EQ(SetUpLogFolder(folder, path("other")), logFolder());
    EXPECT_EQ(ReadSetting(Setting::FoldersLogs), logFolder());
    EXPECT_FALSE(QFileInfo::exists(path("other")));
    // Mend: Phone/Period=40000 wrapped to -25537. Numbers are clamped to their type, with one
    // log line per key and value in the log of the store set up at start.
    for (const char* value : {"40000", "-40000", "99999999999999999999", "40000"}) {
        ASSERT_TRUE(WriteSetting(Setting::PhonePeriod, value));
        EXPECT_EQ(SettingNumber(Setting::PhonePeriod), value[0] == '-' ? -32768 : 32767);
    }
    ASSERT_TRUE(WriteSetting(Setting::SmsLongID, "300"));
    EXPECT_EQ(SettingLeadingNumber(Setting::SmsLongID), 255);
    const QByteArray lines = ReadBytes(path("Logs/20101105.txt"));
    EXPECT_EQ(lines.count('\n'), 4);
    EXPECT_TRUE(
        lines.startsWith("05.11.2010 23:59:59;   Settings;      Phone/Period=40000 is out "
                         "of range; 32767 used\r\n"));
}

// The dialog gets the folder, its title and a pair for each extension, then all files; with no
// dialog, or cancelled, no file.
TEST(OpenFileFilters, DialogGetsFolderTitleAndFilterPairs) {
    FileFolder folder;
    EXPECT_EQ(folder.OpenFile("/opt/app", "mdb"), QString());
    QStringList asked;
    QString answer = "/data/base.mdb";
    folder.openFileDialog = [&](const QString& d, const QStringList& pairs, const QString& t) {
        asked = QStringList{d, t} + pairs;
        return answer;
    };
    EXPECT_EQ(folder.OpenFile("/opt/app", "accdb", "mdb"), answer);
    EXPECT_EQ(asked, QStringList({"/opt/app", "Открыть файла", "(*.accdb)", "*.accdb", "(*.mdb)",
                                  "*.mdb", "(*.*)", "*.*"}));
    EXPECT_EQ(folder.OpenFile("/opt/app", "", "fdb"), answer);
    EXPECT_EQ(asked.mid(2), QStringList({"(*.fdb)", "*.fdb", "(*.*)", "*.*"}));
    answer.clear();  // cancelled
    EXPECT_EQ(folder.OpenFile("/opt/app"), QString());
    EXPECT_EQ(asked.mid(2), QStringList({"(*.*)", "*.*"}));
}

}  // namespace
