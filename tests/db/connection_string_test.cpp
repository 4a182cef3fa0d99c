// The connection string of every database kind, row by row, and every combination with no row.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "db/ConnectionString.h"
#include "settings/Ini.h"

namespace {

constexpr int kAny = -100;  // the row ignores this setting

struct Row {
    int sbType, driver, access, variant;
    const char* expected;
};

// S=SRV1, D=sms, U=usr, P=pw. Driver 1 and Access 1 stand for "set" (any non-zero value).
const Row kRows[] = {
    {0, 1, 1, kAny, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sms;User Id=admin;Password=;"},
    {0, 1, 0, kAny,
     "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sms;Jet OLEDB:Database Password=pw;"},
    {0, 0, 1, kAny, "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=;"},
    {0, 0, 0, kAny, "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=pw;"},
    {1, kAny, 1, kAny,
     "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=sms;Persist Security Info=False;"},
    {1, kAny, 0, kAny,
     "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=sms;Jet OLEDB:Database Password=pw;"},
    {2, 1, 1, kAny,
     "Provider=sqloledb;Data Source=SRV1;Initial Catalog=sms;Integrated Security=SSPI;"},
    {2, 1, 0, kAny,
     "Provider=sqloledb;Data Source=SRV1;Initial Catalog=sms;User Id=usr;Password=pw;"},
    {2, 0, 1, kAny, "Driver={SQL Server};Server=SRV1;Database=sms;Trusted_Connection=Yes;"},
    {2, 0, 0, kAny, "Driver={SQL Server};Server=SRV1;Database=sms;Uid=usr;Pwd=pw;"},
    {3, 1, 1, kAny, "Provider=SQLNCLI;Server=SRV1;Database=sms;Trusted_Connection=yes;"},
    {3, 1, 0, kAny, "Provider=SQLNCLI;Server=SRV1;Database=sms;Uid=usr;Pwd=pw;"},
    {3, 0, 1, kAny, "Driver={SQL Native Client};Server=SRV1;Database=sms;Trusted_Connection=yes;"},
    {3, 0, 0, kAny, "Driver={SQL Native Client};Server=SRV1;Database=sms;Uid=usr;Pwd=pw;"},
    {4, 1, 0, kAny, "Provider=MySQLProv;Data Source=sms;User Id=usr;Password=pw;"},
    {4, 1, 1, kAny, ""},
    {4, 0, kAny, 0, "Driver={mySQL};Server=localhost;Option=16834;Database=sms;"},
    {4, 0, kAny, 1,
     "Driver={mySQL};Server=SRV1;Port=3306;Option=131072;Stmt=;Database=sms;Uid=usr;Pwd=pw;"},
    {4, 0, kAny, 2,
     "Driver={MySQL ODBC 3.51 "
     "Driver};Server=localhost;Database=sms;User=usr;Password=pw;Option=3;"},
    {4, 0, kAny, 3,
     "Driver={MySQL ODBC 3.51 Driver};Server=SRV1;Port=3306;Database=sms;User=usr; "
     "Password=pw;Option=3;"},
    {5, 0, 0, kAny, "Driver=Firebird/InterBase(r) driver;Uid=usr;Pwd=pw;DbName=sms;"},
    {6, kAny, kAny, kAny, "Driver=SQLite3;Database=sms;"},
};

bool Matches(int wanted, int value) {
    return wanted == kAny || (wanted == 0 ? value == 0 : value != 0) || wanted == value;
}
bool MatchesVariant(int wanted, int value) {
    return wanted == kAny || wanted == value;
}

DbSettings Settings(int sbType, int driver, int access, int variant) {
    DbSettings s;
    s.sbType = sbType;
    s.driver = driver;
    s.access = access;
    s.mySqlOdbc = variant;
    s.server = QStringLiteral("SRV1");
    s.database = QStringLiteral("sms");
    s.user = QStringLiteral("usr");
    s.password = QStringLiteral("pw");
    return s;
}

const Row* RowFor(int sbType, int driver, int access, int variant) {
    for (const Row& r : kRows)
        if (r.sbType == sbType && Matches(r.driver, driver) && Matches(r.access, access) &&
            MatchesVariant(r.variant, variant))
            return &r;
    return nullptr;
}

// Every combination of kind, driver, access and variant, including values no dialog writes:
// each either gives its row's string or, where no row exists, no string at all.
TEST(ConnectionStringTest, EveryCombinationGivesItsRowOrNone) {
    int withRow = 0;
    int withoutRow = 0;
    for (int sbType = -1; sbType <= 8; ++sbType)
        for (int driver : {0, 1, 2, -1})
            for (int access : {0, 1, 2, -1})
                for (int variant = -1; variant <= 5; ++variant) {
                    const auto got = ConnectionString(Settings(sbType, driver, access, variant));
                    const Row* row = RowFor(sbType, driver, access, variant);
                    SCOPED_TRACE(testing::Message()
                                 << "SbType " << sbType << " Driver " << driver << " Access "
                                 << access << " MySqlODBC " << variant);
                    if (row) {
                        ASSERT_TRUE(got.has_value());
                        EXPECT_EQ(got->toStdString(), row->expected);
                        ++withRow;
                    } else {
                        EXPECT_FALSE(got.has_value()) << got->toStdString();
                        ++withoutRow;
                    }
                }
    // Every row of the table was reached at least once.
    for (const Row& r : kRows) {
        const int d = r.driver == kAny ? 0 : r.driver;
        const int a = r.access == kAny ? 0 : r.access;
        const int v = r.variant == kAny ? 0 : r.variant;
        EXPECT_EQ(RowFor(r.sbType, d, a, v), &r) << r.expected;
    }
    EXPECT_GT(withRow, 0);
    EXPECT_GT(withoutRow, 0);
}

TEST(ConnectionStringTest, CombinationsWithoutRow) {
    struct Case {
        int sbType, driver, access, variant;
    } cases[] = {
        {4, 0, 0, 4},  {4, 0, 1, -1}, {4, 0, 0, 99},  // MySQL ODBC variant outside 0 to 3
        {5, 0, 1, 0},                                 // Firebird with Trusted connection
        {5, 1, 0, 0},  {5, 1, 1, 0},                  // Firebird through OLE DB
        {-1, 0, 0, 0}, {7, 0, 0, 0},  {99, 1, 1, 0},  // unknown kinds
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ConnectionString(Settings(c.sbType, c.driver, c.access, c.variant)))
            << c.sbType << "/" << c.driver << "/" << c.access << "/" << c.variant;
        EXPECT_FALSE(LoggedConnectionString(Settings(c.sbType, c.driver, c.access, c.variant)));
    }
}

TEST(ConnectionStringTest, LoggedStringMasksOnlyThePassword) {
    struct Case {
        int sbType, driver, access, variant;
        const char* logged;
    } cases[] = {
        {0, 0, 0, 0, "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=***;"},
        {2, 1, 0, 0,
         "Provider=sqloledb;Data Source=SRV1;Initial Catalog=sms;User Id=usr;Password=***;"},
        {4, 0, 0, 3,
         "Driver={MySQL ODBC 3.51 Driver};Server=SRV1;Port=3306;Database=sms;User=usr; "
         "Password=***;Option=3;"},
        {5, 0, 0, 0, "Driver=Firebird/InterBase(r) driver;Uid=usr;Pwd=***;DbName=sms;"},
        {2, 0, 1, 0, "Driver={SQL Server};Server=SRV1;Database=sms;Trusted_Connection=Yes;"},
    };
    for (const Case& c : cases) {
        DbSettings s = Settings(c.sbType, c.driver, c.access, c.variant);
        s.password = QStringLiteral("s3cr;et'pw");
        EXPECT_EQ(LoggedConnectionString(s)->toStdString(), c.logged);
        EXPECT_FALSE(LoggedConnectionString(s)->contains(QStringLiteral("s3cr")));
        EXPECT_EQ(ConnectionString(s)->contains(QStringLiteral("s3cr;et'pw")), c.access == 0);
    }
    // An empty password stays empty: nothing is hidden.
    DbSettings empty = Settings(4, 1, 0, 0);
    empty.password.clear();
    EXPECT_EQ(LoggedConnectionString(empty)->toStdString(),
              "Provider=MySQLProv;Data Source=sms;User Id=usr;Password=;");
}

TEST(ConnectionStringTest, SettingsFileAndItsDefaults) {
    QTemporaryDir dir;
    const QString saved = INIFileName;
    INIFileName = dir.filePath(QStringLiteral("missing.ini"));
    // No file: Access through ODBC, Standard Security, "MyDatabase", no password.
    EXPECT_EQ(ConnectionString(ReadDbSettings())->toStdString(),
              "Driver={Microsoft Access Driver (*.mdb)};Dbq=MyDatabase;Uid=Admin;Pwd=;");

    INIFileName = dir.filePath(QStringLiteral("Pelorus.ini"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("SbType"), QStringLiteral("2"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("Access"), QStringLiteral("1"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("ServerName"),
             QStringLiteral("SRV1"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("DbName"),
             QStringLiteral("sms"));
    EXPECT_EQ(ConnectionString(ReadDbSettings())->toStdString(),
              "Driver={SQL Server};Server=SRV1;Database=sms;Trusted_Connection=Yes;");

    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("SbType"), QStringLiteral("4"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("MySqlODBC"),
             QStringLiteral("1"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("User"), QStringLiteral("u"));
    WriteINI(INIFileName, QStringLiteral("Server"), QStringLiteral("Pwd"), QStringLiteral("p"));
    EXPECT_EQ(ConnectionString(ReadDbSettings())->toStdString(),
              "Driver={mySQL};Server=SRV1;Port=3306;Option=131072;Stmt=;Database=sms;Uid=u;Pwd=p;");
    INIFileName = saved;
}

}  // namespace
