// The connection string of every database kind, row by row (tests/data/connection_strings.tsv),
// and every combination with no row.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "db/ConnectionString.h"
#include "testsupport.h"

namespace {

// Every combination of kind, driver, access and variant, including values no dialog writes:
// each either gives its row's string, logged with the password as "***", or, where no row exists,
// no string at all. Driver and Access tell only zero from non-zero ("1" in a row); the variant
// counts exactly; "*" is any value. S=SRV1, D=sms, U=usr, P=pw.
TEST(ConnectionStringTest, EveryCombinationGivesItsRowOrNone) {
    const QVector<testsupport::TsvRow> rows = testsupport::DataTsv("connection_strings.tsv");
    ASSERT_EQ(rows.size(), 22);
    const auto matches = [](const QString& wanted, int value, bool exact) {
        return wanted == "*" || (exact ? wanted.toInt() == value : (wanted == "0") == (value == 0));
    };
    QSet<int> reached;
    for (int sbType : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 99})
        for (int driver : {0, 1, 2, -1})
            for (int access : {0, 1, 2, -1})
                for (int variant : {-1, 0, 1, 2, 3, 4, 5, 99}) {
                    const DbSettings s{sbType, driver, access, variant, "SRV1", "sms", "usr", "pw"};
                    SCOPED_TRACE(testing::Message()
                                 << "SbType " << sbType << " Driver " << driver << " Access "
                                 << access << " MySqlODBC " << variant);
                    int row = 0;
                    while (row < rows.size() && !(matches(rows[row]["sbType"], sbType, true) &&
                                                  matches(rows[row]["driver"], driver, false) &&
                                                  matches(rows[row]["access"], access, false) &&
                                                  matches(rows[row]["variant"], variant, true)))
                        ++row;
                    if (row == rows.size()) {
                        EXPECT_FALSE(ConnectionString(s).has_value());
                        EXPECT_FALSE(LoggedConnectionString(s).has_value());
                        continue;
                    }
                    const QString expected = rows[row]["expected"];
                    EXPECT_EQ(ConnectionString(s), expected);
                    EXPECT_EQ(LoggedConnectionString(s),
                              QString(expected).replace("=pw;", "=***;"));
                    reached.insert(row);
                }
    EXPECT_EQ(reached.size(), rows.size());  // no row is hidden behind an earlier one
}

TEST(ConnectionStringTest, PasswordStandsAsGivenAndAnEmptyOneIsNotMasked) {
    DbSettings s{5, 0, 0, 0, "SRV1", "sms", "usr", "s3cr;et'pw"};
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
