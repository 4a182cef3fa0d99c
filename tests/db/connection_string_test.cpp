// The connection string of every database kind, row by row, and every combination with no row.
#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "DbTestSupport.h"
#include "db/ConnectionString.h"

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

DbSettings Settings(int sbType, int driver, int access, int variant) {
    return {sbType, driver, access, variant, "SRV1", "sms", "usr", "pw"};
}

const Row* RowFor(int sbType, int driver, int access, int variant) {
    // Driver and Access tell only zero from non-zero; the variant counts exactly.
    const auto matches = [](int wanted, int value) {
        return wanted == kAny || (wanted == 0) == (value == 0);
    };
    for (const Row& r : kRows)
        if (r.sbType == sbType && matches(r.driver, driver) && matches(r.access, access) &&
            (r.variant == kAny || r.variant == variant))
            return &r;
    return nullptr;
}

// Every combination of kind, driver, access and variant, including values no dialog writes:
// each either gives its row's string, logged with the password as "***", or, where no row exists,
// no string at all.
TEST(ConnectionStringTest, EveryCombinationGivesItsRowOrNone) {
    std::set<const Row*> reached;
    for (int sbType : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 99})
        for (int driver : {0, 1, 2, -1})
            for (int access : {0, 1, 2, -1})
                for (int variant : {-1, 0, 1, 2, 3, 4, 5, 99}) {
                    const DbSettings s = Settings(sbType, driver, access, variant);
                    const auto got = ConnectionString(s);
                    const Row* row = RowFor(sbType, driver, access, variant);
                    SCOPED_TRACE(testing::Message()
                                 << "SbType " << sbType << " Driver " << driver << " Access "
                                 << access << " MySqlODBC " << variant);
                    if (row) {
                        ASSERT_TRUE(got.has_value());
                        EXPECT_EQ(got, row->expected);
                        EXPECT_EQ(LoggedConnectionString(s),
                                  QString(row->expected).replace("=pw;", "=***;"));
                        reached.insert(row);
                    } else {
                        EXPECT_FALSE(got.has_value()) << got->toStdString();
                        EXPECT_FALSE(LoggedConnectionString(s).has_value());
                    }
                }
    // No row of the table is hidden behind an earlier one.
    EXPECT_EQ(reached.size(), std::size(kRows));
}

TEST(ConnectionStringTest, PasswordStandsAsGivenAndAnEmptyOneIsNotMasked) {
    DbSettings s = Settings(5, 0, 0, 0);
    s.password = "s3cr;et'pw";
    EXPECT_EQ(ConnectionString(s),
              "Driver=Firebird/InterBase(r) driver;Uid=usr;Pwd=s3cr;et'pw;DbName=sms;");
    EXPECT_EQ(LoggedConnectionString(s),
              "Driver=Firebird/InterBase(r) driver;Uid=usr;Pwd=***;DbName=sms;");
    s.password.clear();
    EXPECT_EQ(LoggedConnectionString(s),
              "Driver=Firebird/InterBase(r) driver;Uid=usr;Pwd=;DbName=sms;");
}

TEST(ConnectionStringTest, SettingsFileAndItsDefaults) {
    dbtest::TestSettings settings;
    // No file: Access through ODBC, Standard Security, "MyDatabase", no password.
    EXPECT_EQ(ConnectionString(ReadDbSettings()),
              "Driver={Microsoft Access Driver (*.mdb)};Dbq=MyDatabase;Uid=Admin;Pwd=;");
    settings.server({"SbType", "2", "Access", "1", "ServerName", "SRV1", "DbName", "sms"});
    EXPECT_EQ(ConnectionString(ReadDbSettings()),
              "Driver={SQL Server};Server=SRV1;Database=sms;Trusted_Connection=Yes;");
    settings.server({"SbType", "4", "MySqlODBC", "1", "User", "u", "Pwd", "p"});
    EXPECT_EQ(ConnectionString(ReadDbSettings()),
              "Driver={mySQL};Server=SRV1;Port=3306;Option=131072;Stmt=;Database=sms;Uid=u;Pwd=p;");
}

}  // namespace
