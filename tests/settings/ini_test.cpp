#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThread>

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
    QString read(const QString& section, const QString& key, const QString& def = "DEF") {
        return ReadINI(path(), section, key, def);
    }
    bool set(const QString& section, const QString& key, const QString& value) {
        return WriteINI(path(), section, key, value);
    }
};

// tests/data/ini_reads.tsv: names in any letter case both ways, an empty value is no default, a
// value unquoted and trimmed, the first of two lines wins, a long value cut to 254, a section
// name without its closing bracket.
TEST_F(IniTest, ReadFollowsPrivateProfileRules) {
    EXPECT_EQ(read("Server", "ServerName", "MyServer"), "MyServer");  // no file: the default
    EXPECT_FALSE(QFile::exists(path()));
    write(
        "; comment line\r\n[Server]\r\nSbType=4\r\nEmpty=\r\n  Spaced Key  =   padded value   \r\n"
        "Quoted=\"in quotes\"\r\nTwice=first\r\nTwice=second\r\nLong=" +
        QByteArray(300, 'v') + "\r\n[PHONE]\r\ncomport=/dev/ttyUSB0\r\n[Open\r\nk=v\r\n");
    const QVector<testsupport::TsvRow> rows = testsupport::DataTsv("ini_reads.tsv");
    ASSERT_EQ(rows.size(), 12);
    for (const testsupport::TsvRow& r : rows)
        EXPECT_EQ(read(r["section"], r["key"]), r["value"]) << r.fields.join('/').toStdString();
}

// One key written changes exactly its line; new keys join their section, new sections go last,
// the first write makes the file, and line breaks in a value become blanks.
TEST_F(IniTest, WritingOneKeyChangesExactlyOneLine) {
    const QByteArray before =
        "; Pelorus settings, edited by hand\r\n\r\n[server]\r\nSBTYPE = 2\r\n"
        "; the next key is the one we change\r\nservername=OLD\r\n\r\n[Phone]\r\nComPort=3\r\n";
    write(before);
    ASSERT_TRUE(set("SERVER", "ServerName", "NEW"));
    EXPECT_EQ(ReadBytes(path()), QByteArray(before).replace("OLD", "NEW"));
    EXPECT_EQ(read("Server", "ServerName"), "NEW");
    write("[A]\nx=1\n\n[B]\ny=2\n");
    ASSERT_TRUE(set("a", "z", "3") && set("C", "w", "4"));
    EXPECT_EQ(ReadBytes(path()), QByteArray("[A]\nx=1\nz=3\n\n[B]\ny=2\n[C]\nw=4\n"));
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(set("SMS", "SMSC", "7900\r\n111\n1"));
    EXPECT_EQ(read("SMS", "SMSC"), "7900  111 1");
    EXPECT_EQ(ReadBytes(path()).count('\n'), 2);
}

// Mend: one Windows-1251 line made the whole UTF-8 file read as 1251. A 1251 file is written back
// as UTF-8; UTF-16 files are read and stay UTF-16.
TEST_F(IniTest, EncodingIsDecidedLineByLine) {
    write("[R]\nW=\xD0\x9E\xD0\xB9\nD=\xC4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE\n");
    EXPECT_EQ(read("R", "W") + read("R", "D"), "ОйДоставлено");
    write("[SMSreports]\r\nDelivered=\xC4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE\r\n");
    ASSERT_TRUE(set("SMS", "Report", "1"));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(path())),
              "[SMSreports]\r\nDelivered=Доставлено\r\n[SMS]\r\nReport=1\r\n");
    const QString text = QStringLiteral("[R]\r\nD=Доставлено\r\n");
    for (const auto e : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QStringEncoder encoder(e, QStringConverter::Flag::WriteBom);
        write(encoder.encode(text));
        EXPECT_EQ(read("R", "D"), "Доставлено");
        ASSERT_TRUE(set("A", "k", "1"));
        EXPECT_EQ(ReadBytes(path()), QByteArray(QStringEncoder(e, QStringConverter::Flag::WriteBom)
                                                    .encode(text + "[A]\r\nk=1\r\n")));
    }
}

TEST_F(IniTest, AWriteThatCannotBeMadeIsReportedAndChangesNothing) {
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/Pelorus.ini"));
    EXPECT_FALSE(WriteINI(missing, "A", "k", "v"));
    EXPECT_FALSE(QFile::exists(missing));
    // A settings "file" that is a folder: the write fails and the folder is left alone.
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_FALSE(set("A", "k", "v"));
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
        EXPECT_EQ(WriteINI(ini, "A", "k", "2"), inPlace);
        EXPECT_FALSE(WriteINI(ini, "A", "k", QString(9000, 'x')));
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
    ASSERT_TRUE(set("A", "k", "2"));
    struct stat after {};
    ASSERT_EQ(::stat(native.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
}

TEST_F(IniTest, WritesAndHandEditsTakeEffectAtTheNextRead) {
    write("[A]\nk=1\n");
    INIFileName = path();
    EXPECT_EQ(read("A", "k"), "1");
    ASSERT_TRUE(set("A", "k", "2"));
    EXPECT_EQ(read("A", "k"), "2");
    ASSERT_TRUE(WriteBytes(path(), "[A]\nk=33\n"));  // an editor saves a new version of the file
    QElapsedTimer t;
    t.start();
    while (read("A", "k") != QLatin1String("33") && t.elapsed() < 3000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(read("A", "k"), "33");
}

TEST_F(IniTest, SettingsTableReadersKeepTheirOwnDefaults) {
    INIFileName = path();
    EXPECT_EQ(ReadSetting(Setting::ServerNameForConnect), "MyServer");
    EXPECT_EQ(ReadSetting(Setting::ServerName), QString());
    EXPECT_EQ(ReadSetting(Setting::SmsSMSC), "79001111111");
    EXPECT_EQ(ReadSetting(Setting::SmsSMSCForCompare), "79xxxxxxxxx");
    EXPECT_EQ(ReadSetting(Setting::ReportDelivered), "Доставлено");
    ASSERT_TRUE(WriteSetting(Setting::PhonePeriod, "abc"));
    EXPECT_EQ(SettingNumber(Setting::PhonePeriod), 60);  // non-numeric: the default
    ASSERT_TRUE(WriteSetting(Setting::OptionsSendAttempts, "5tries"));
    EXPECT_EQ(SettingLeadingNumber(Setting::OptionsSendAttempts), 5);
}

// Each text's decimal value ("-": none), leading number and leading digits.
TEST(Conversions, DecimalAndLeadingNumber) {
    const QVector<testsupport::TsvRow> rows = testsupport::DataTsv("leading_numbers.tsv");
    ASSERT_EQ(rows.size(), 11);
    for (const testsupport::TsvRow& r : rows) {
        const QString t = r["text"];
        EXPECT_EQ(DecimalValue(t),
                  r["decimal"] == "-" ? std::nullopt : std::optional<int>(r["decimal"].toInt()))
            << t.toStdString();
        EXPECT_EQ(LeadingNumber(t), r["leading"].toLongLong()) << t.toStdString();
        if (t.startsWith('+'))
            continue;  // the digits reader is for text that begins with a digit
        EXPECT_EQ(LeadingDigits(t), r["digits"]) << t.toStdString();
    }
}

}  // namespace
