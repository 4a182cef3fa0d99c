// The settings file on an operator's worst day: a full disk, a root-run gateway, a folder it may
// not write, a file edited with Windows tools, a number typed too large.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "SmallTmpfs.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "testsupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

QString Read(const QString& path, const char* key) {
    return ReadINI(path, QStringLiteral("SMS"), QString::fromUtf8(key), QStringLiteral("DEF"));
}
bool Write(const QString& path, const char* key, const QString& value) {
    return WriteINI(path, QStringLiteral("SMS"), QString::fromUtf8(key), value);
}

TEST(IniSafety, FullDiskFailsTheWriteAndKeepsTheOldFile) {
    SmallTmpfs disk("size=64k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString ini = disk.filePath(QStringLiteral("Pelorus.ini"));
    ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("41")));
    const QByteArray before = ReadBytes(ini);
    ASSERT_GT(disk.Fill(), 0);
    EXPECT_FALSE(Write(ini, "Text", QString(9000, QLatin1Char('x'))));
    EXPECT_EQ(ReadBytes(ini), before);
    ForgetIniCache();
    EXPECT_EQ(Read(ini, "LongID"), QStringLiteral("41"));
}

TEST(IniSafety, FolderWithoutRoomForATemporaryFileIsWrittenInPlace) {
    SmallTmpfs disk("size=64k,nr_inodes=2");  // the root and Pelorus.ini: no other file
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString ini = disk.filePath(QStringLiteral("Pelorus.ini"));
    ASSERT_TRUE(WriteBytes(ini, "[SMS]\nLongID=41\nReport=1\n"));
    ForgetIniCache();
    ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("42000")));
    EXPECT_EQ(ReadBytes(ini), QByteArray("[SMS]\nLongID=42000\nReport=1\n"));
    ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("7")));  // shrinks
    EXPECT_EQ(ReadBytes(ini), QByteArray("[SMS]\nLongID=7\nReport=1\n"));
}

TEST(IniSafety, OwnerGroupAndModeAreKept) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Pelorus.ini"));
    ASSERT_TRUE(WriteBytes(ini, "[SMS]\nLongID=41\n"));
    const QByteArray native = QFile::encodeName(ini);
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 65534 : ::geteuid();  // nobody:nogroup when running as root
    const gid_t group = root ? 65534 : ::getegid();
    ASSERT_EQ(::chown(native.constData(), owner, group), 0);
    ASSERT_EQ(::chmod(native.constData(), 0604), 0);
    ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("42")));
    struct stat after {};
    ASSERT_EQ(::stat(native.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
}

// Each line is UTF-8 when it can be, else Windows-1251; UTF-16 files with a mark are read too
// and stay UTF-16 when written.
TEST(IniSafety, EncodingIsDecidedLineByLineAndUtf16IsRead) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Pelorus.ini"));
    const QString delivered = QStringLiteral("Доставлено");
    QByteArray mixed = "[SMSreports]\nWrong=" + QStringLiteral("Ошибка").toUtf8() +
                       "\nDelivered=\xC4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE\n";
    ASSERT_TRUE(WriteBytes(ini, mixed));
    ForgetIniCache();
    const auto report = [&](const char* key) {
        return ReadINI(ini, QStringLiteral("SMSreports"), QString::fromUtf8(key), QString());
    };
    EXPECT_EQ(report("Wrong"), QStringLiteral("Ошибка"));
    EXPECT_EQ(report("Delivered"), delivered);
    ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("5")));
    EXPECT_TRUE(ReadBytes(ini).contains(("Delivered=" + delivered).toUtf8()));
    EXPECT_TRUE(ReadBytes(ini).contains(QStringLiteral("Wrong=Ошибка").toUtf8()));

    const QString text = QStringLiteral("[SMSreports]\r\nDelivered=%1\r\n").arg(delivered);
    const struct {
        QByteArray mark;
        QStringConverter::Encoding encoding;
    } utf16[] = {{"\xFF\xFE", QStringConverter::Utf16LE}, {"\xFE\xFF", QStringConverter::Utf16BE}};
    for (const auto& u : utf16) {
        ASSERT_TRUE(WriteBytes(ini, u.mark + QByteArray(QStringEncoder(u.encoding).encode(text))));
        ForgetIniCache();
        EXPECT_EQ(report("Delivered"), delivered);
        ASSERT_TRUE(Write(ini, "LongID", QStringLiteral("5")));
        const QString back = QStringDecoder(u.encoding).decode(ReadBytes(ini).mid(2));
        EXPECT_TRUE(ReadBytes(ini).startsWith(u.mark));
        EXPECT_EQ(back, text + QStringLiteral("[SMS]\r\nLongID=5\r\n"));
    }
}

TEST(IniSafety, NumbersOutsideTheirTypeAreClampedWithOneLogLine) {
    QTemporaryDir dir;
    const QString saved = INIFileName;
    INIFileName = dir.filePath(QStringLiteral("Pelorus.ini"));
    QStringList lines;
    SetSettingsLog([&](const QString& line) { lines << line; });
    const struct {
        const char* value;
        int used;
    } cases[] = {{"40000", 32767},
                 {"-40000", -32768},
                 {"99999999999999999999", 32767},
                 {"32767", 32767},
                 {"abc", 60}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteINI(INIFileName, QStringLiteral("Phone"), QStringLiteral("Period"),
                             QString::fromUtf8(c.value)));
        EXPECT_EQ(SettingNumber(Setting::PhonePeriod), c.used) << c.value;
        EXPECT_EQ(SettingNumber(Setting::PhonePeriod), c.used) << c.value;
    }
    ASSERT_TRUE(WriteINI(INIFileName, QStringLiteral("SMS"), QStringLiteral("LongID"),
                         QStringLiteral("70000")));
    EXPECT_EQ(SettingLeadingNumber(Setting::SmsLongID), 255);
    EXPECT_EQ(lines, QStringList({
                         "Settings;      Phone/Period=40000 is out of range; 32767 used",
                         "Settings;      Phone/Period=-40000 is out of range; -32768 used",
                         "Settings;      Phone/Period=99999999999999999999 is out of range; "
                         "32767 used",
                         "Settings;      SMS/LongID=70000 is out of range; 255 used",
                     }));
    SetSettingsLog({});
    INIFileName = saved;
}

}  // namespace
