#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <QStringEncoder>

#include <sys/stat.h>

#include "SmallTmpfs.h"
#include "settings/Conversions.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "testsupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

class IniTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Pelorus.ini")); }
    void write(const QByteArray& bytes) {
        ASSERT_TRUE(WriteBytes(path(), bytes));
        ForgetIniCache();
    }
    QString read(const char* section, const char* key, const char* def = "DEF") {
        return ReadINI(path(), QString::fromUtf8(section), QString::fromUtf8(key),
                       QString::fromUtf8(def));
    }
};

TEST_F(IniTest, ReadFollowsPrivateProfileRules) {
    write(
        "; comment line\r\n"
        "[Server]\r\n"
        "SbType=4\r\n"
        "Empty=\r\n"
        "  Spaced Key  =   padded value   \r\n"
        "Quoted=\"in quotes\"\r\n"
        "Twice=first\r\n"
        "Twice=second\r\n"
        "[PHONE]\r\n"
        "comport=/dev/ttyUSB0\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Server", "SbType", "4"},
        {"server", "SBTYPE", "4"},  // any letter case, both ways
        {"Phone", "ComPort", "/dev/ttyUSB0"},
        {"Server", "Empty", ""},  // present but empty: not the default
        {"Server", "Spaced Key", "padded value"},
        {"Server", "Quoted", "in quotes"},
        {"Server", "Twice", "first"},
        {"Server", "Missing", "DEF"},
        {"Nowhere", "SbType", "DEF"},
        {"comment line", "x", "DEF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read(c.section, c.key), QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
}

TEST_F(IniTest, MissingFileGivesDefaults) {
    EXPECT_EQ(read("Server", "ServerName", "MyServer"), QStringLiteral("MyServer"));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(IniTest, LongValuesComeBackCutTo254) {
    const QByteArray value(300, 'v');
    write("[A]\nK=" + value + "\n");
    EXPECT_EQ(read("A", "K"), QString(254, QLatin1Char('v')));
}

TEST_F(IniTest, WritingOneKeyChangesExactlyOneLine) {
    const QByteArray before =
        "; Pelorus settings, edited by hand\r\n"
        "\r\n"
        "[server]\r\n"
        "SBTYPE = 2\r\n"
        "; the next key is the one we change\r\n"
        "servername=OLD\r\n"
        "\r\n"
        "[Phone]\r\n"
        "ComPort=3\r\n";
    write(before);
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("SERVER"), QStringLiteral("ServerName"),
                         QStringLiteral("NEW")));
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = ReadBytes(path()).split('\n');
    ASSERT_EQ(a.size(), b.size());
    int changed = 0;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            ++changed;
            EXPECT_EQ(b[i], QByteArray("servername=NEW\r"));
        }
    }
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(read("Server", "ServerName"), QStringLiteral("NEW"));
}

TEST_F(IniTest, NewKeysJoinTheirSectionAndNewSectionsGoLast) {
    write("[A]\nx=1\n\n[B]\ny=2\n");
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("a"), QStringLiteral("z"), QStringLiteral("3")));
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("C"), QStringLiteral("w"), QStringLiteral("4")));
    EXPECT_EQ(ReadBytes(path()), QByteArray("[A]\nx=1\nz=3\n\n[B]\ny=2\n[C]\nw=4\n"));
}

TEST_F(IniTest, FirstWriteCreatesTheFileAndLineBreaksBecomeBlanks) {
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("SMS"), QStringLiteral("SMSC"),
                         QStringLiteral("7900\r\n111\n1")));
    EXPECT_EQ(read("SMS", "SMSC"), QStringLiteral("7900  111 1"));
    EXPECT_EQ(ReadBytes(path()).count('\n'), 2);
}

TEST_F(IniTest, Windows1251FilesAreReadAndWrittenBackAsUtf8) {
    // "[SMSreports]\r\nDelivered=Доставлено\r\n" in Windows-1251
    write("[SMSreports]\r\nDelivered=\xC4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE\r\n");
    EXPECT_EQ(read("SMSreports", "Delivered"), QStringLiteral("Доставлено"));
    ASSERT_TRUE(
        WriteINI(path(), QStringLiteral("SMS"), QStringLiteral("Report"), QStringLiteral("1")));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(path())),
              QStringLiteral("[SMSreports]\r\nDelivered=Доставлено\r\n[SMS]\r\nReport=1\r\n"));
}

TEST_F(IniTest, AWriteThatCannotBeMadeIsReportedAndChangesNothing) {
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/Pelorus.ini"));
    EXPECT_FALSE(WriteINI(missing, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(QFile::exists(missing));
    // A settings "file" that is a folder: the write fails and the folder is left alone.
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_FALSE(WriteINI(path(), QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

// Mend: a full disk failed only at the flush Qt 6.4 ignores, and an empty file replaced the old.
// A folder with no room for a temporary file is written in place, grown first.
TEST_F(IniTest, FullDiskFailsTheWriteAndTheOldFileStaysWhole) {
    for (const char* options : {"size=4k", "size=4k,nr_inodes=2"}) {  // one page: the file's
        SmallTmpfs disk(options);
        if (!disk.mounted())
            GTEST_SKIP() << "mounting a tmpfs needs root";
        const QString ini = disk.filePath(QStringLiteral("Pelorus.ini"));
        ASSERT_TRUE(WriteBytes(ini, "[A]\nk=1\n"));
        const bool inPlace = QByteArray(options).contains("nr_inodes");
        EXPECT_EQ(WriteINI(ini, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")),
                  inPlace);
        EXPECT_FALSE(WriteINI(ini, QStringLiteral("A"), QStringLiteral("k"), QString(9000, 'x')));
        EXPECT_EQ(ReadBytes(ini), inPlace ? QByteArray("[A]\nk=2\n") : QByteArray("[A]\nk=1\n"));
    }
}

// Mend: run as root, the rename made a nobody:nogroup 0600 file root's.
TEST_F(IniTest, OwnerGroupAndModeAreKept) {
    write("[A]\nk=1\n");
    const QByteArray native = QFile::encodeName(path());
    const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown(native.constData(), owner, owner == 65534 ? 65534 : ::getegid()), 0);
    ASSERT_EQ(::chmod(native.constData(), 0604), 0);
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
    struct stat after {};
    ASSERT_EQ(::stat(native.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
}

// Mend: one Windows-1251 line made the whole UTF-8 file read as 1251. UTF-16 files are read and
// stay UTF-16.
TEST_F(IniTest, EncodingIsDecidedLineByLineAndUtf16IsRead) {
    write("[R]\nW=\xD0\x9E\xD0\xB9\nD=\xC4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE\n");
    EXPECT_EQ(read("R", "W") + read("R", "D"), QStringLiteral("ОйДоставлено"));
    const QString text = QStringLiteral("[R]\r\nD=Доставлено\r\n");
    for (const auto e : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        write(QStringEncoder(e, QStringConverter::Flag::WriteBom).encode(text));
        EXPECT_EQ(read("R", "D"), QStringLiteral("Доставлено"));
        ASSERT_TRUE(
            WriteINI(path(), QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")));
        EXPECT_EQ(ReadBytes(path()),
                  QByteArray(QStringEncoder(e, QStringConverter::Flag::WriteBom)
                                 .encode(text + QStringLiteral("[A]\r\nk=1\r\n"))));
    }
}

TEST_F(IniTest, UnchangedFileIsParsedOnce) {
    write("[A]\nk=1\n");
    EXPECT_EQ(read("A", "k"), QStringLiteral("1"));
    const quint64 parses = IniParseCount();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(read("A", "k"), QStringLiteral("1"));
    EXPECT_EQ(IniParseCount(), parses);
}

TEST_F(IniTest, WritesAndHandEditsTakeEffectAtTheNextRead) {
    write("[A]\nk=1\n");
    INIFileName = path();
    EXPECT_EQ(read("A", "k"), QStringLiteral("1"));
    ASSERT_TRUE(WriteINI(path(), QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(read("A", "k"), QStringLiteral("2"));

    // An editor saves a new version of the file.
    ASSERT_TRUE(WriteBytes(path(), "[A]\nk=33\n"));
    QElapsedTimer t;
    t.start();
    while (read("A", "k") != QLatin1String("33") && t.elapsed() < 3000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(read("A", "k"), QStringLiteral("33"));
}

TEST_F(IniTest, SettingsTableReadersKeepTheirOwnDefaults) {
    INIFileName = path();
    EXPECT_EQ(ReadSetting(Setting::ServerNameForConnect), QStringLiteral("MyServer"));
    EXPECT_EQ(ReadSetting(Setting::ServerName), QString());
    EXPECT_EQ(ReadSetting(Setting::SmsSMSC), QStringLiteral("79001111111"));
    EXPECT_EQ(ReadSetting(Setting::SmsSMSCForCompare), QStringLiteral("79xxxxxxxxx"));
    EXPECT_EQ(ReadSetting(Setting::ReportDelivered), QStringLiteral("Доставлено"));

    ASSERT_TRUE(WriteSetting(Setting::PhonePeriod, QStringLiteral("abc")));
    EXPECT_EQ(SettingNumber(Setting::PhonePeriod), 60);  // non-numeric: the default
    ASSERT_TRUE(WriteSetting(Setting::PhonePeriod, QStringLiteral(" 30 ")));
    EXPECT_EQ(SettingNumber(Setting::PhonePeriod), 30);
    ASSERT_TRUE(WriteSetting(Setting::OptionsSendAttempts, QStringLiteral("5tries")));
    EXPECT_EQ(SettingLeadingNumber(Setting::OptionsSendAttempts), 5);
    ASSERT_TRUE(WriteSetting(Setting::OptionsSendAttempts, QStringLiteral("many")));
    EXPECT_EQ(SettingLeadingNumber(Setting::OptionsSendAttempts), 0);
}

TEST(Conversions, DecimalAndLeadingNumber) {
    struct Case {
        const char* text;
        std::optional<int> decimal;
        qint64 leading;
        const char* digits;
    } cases[] = {
        {"12", 12, 12, "12"},
        {" 12 ", 12, 12, "12"},
        {"-7", -7, -7, ""},
        {"12abc", std::nullopt, 12, "12"},
        {"abc", std::nullopt, 0, ""},
        {"", std::nullopt, 0, ""},
        {"1 2x", std::nullopt, 12, "12"},
        {"+7 900 123 45 67", std::nullopt, 79001234567LL, "79001234567"},
        {"0079001234567", 79001234567LL > INT_MAX ? std::nullopt : std::optional<int>(0),
         79001234567LL, "79001234567"},
        {"99999999999", std::nullopt, 99999999999LL, "99999999999"},
        {"0", 0, 0, "0"},
    };
    for (const Case& c : cases) {
        const QString t = QString::fromUtf8(c.text);
        EXPECT_EQ(DecimalValue(t), c.decimal) << c.text;
        EXPECT_EQ(LeadingNumber(t), c.leading) << c.text;
        if (t.startsWith(QLatin1Char('+')))
            continue;  // the digits reader is for text that begins with a digit
        EXPECT_EQ(LeadingDigits(t), QString::fromUtf8(c.digits)) << c.text;
    }
}

}  // namespace
