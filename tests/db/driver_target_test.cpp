// Which Qt driver serves each connection string on this platform, and with what.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "db/DriverTarget.h"

namespace {

#define MARIADB_TIMEOUTS "CONN_TIMEOUT=10;READ_TIMEOUT=15;WRITE_TIMEOUT=15"
#define TDS "TDS_Version=7.2"

TEST(DriverTargetTest, FieldsOfAConnectionString) {
    const auto f = ConnectionStringFields(
        "Driver={MySQL ODBC 3.51 Driver};Server=h;Stmt=;User=u; Password=p;Option=3;");
    EXPECT_EQ(f.value("driver"), "MySQL ODBC 3.51 Driver");
    EXPECT_EQ(f.value("server"), "h");
    EXPECT_EQ(f.value("stmt", "absent"), "");
    EXPECT_EQ(f.value("password"), "p");  // a blank before the key
    EXPECT_EQ(f.value("option"), "3");
    // A brace keeps a semicolon inside the value.
    const auto g = ConnectionStringFields("Driver={a;b};Pwd=x");
    EXPECT_EQ(g.value("driver"), "a;b");
    EXPECT_EQ(g.value("pwd"), "x");
}

TEST(DriverTargetTest, EachKindMapsToItsDriver) {
    struct Case {
        const char* connectionString;
        const char* driver;
        const char* databaseName;
        const char* host;
        const char* user;
        const char* password;
    } cases[] = {
        {"Driver=SQLite3;Database=data/gw.db;", "QSQLITE", "/etc/pelorus/data/gw.db", "", "", ""},
        {"Driver=SQLite3;Database=/var/lib/gw.db;", "QSQLITE", "/var/lib/gw.db", "", "", ""},
        {"Driver=Firebird/InterBase(r) driver;Uid=SYSDBA;Pwd=mk;DbName=db1:/srv/sms.fdb;", "QIBASE",
         "db1:/srv/sms.fdb", "", "SYSDBA", "mk"},
        {"Provider=MySQLProv;Data Source=sms;User Id=u;Password=p;", "QMYSQL", "sms", "localhost",
         "u", "p"},
        // ODBC strings go whole to unixODBC, without the trailing semicolon.
        {"Driver={mySQL};Server=localhost;Option=16834;Database=sms;", "QODBC",
         "Driver={mySQL};Server=localhost;Option=16834;Database=sms;" MARIADB_TIMEOUTS, "", "", ""},
        {"Driver={MySQL ODBC 3.51 Driver};Server=h;Port=3306;Database=sms;User=u; "
         "Password=p;Option=3;",
         "QODBC",
         "Driver={MySQL ODBC 3.51 Driver};Server=h;Port=3306;Database=sms;User=u; "
         "Password=p;Option=3;" MARIADB_TIMEOUTS,
         "", "", ""},
        {"Driver={SQL Server};Server=SRV1;Database=sms;Trusted_Connection=Yes;", "QODBC",
         "Driver={SQL Server};Server=SRV1;Port=1433;Database=sms;Trusted_Connection=Yes;" TDS, "",
         "", ""},
        {"Driver={SQL Native Client};Server=SRV1,1500;Database=sms;Uid=u;Pwd=p;", "QODBC",
         "Driver={SQL Native Client};Server=SRV1;Port=1500;Database=sms;Uid=u;Pwd=p;" TDS, "", "",
         ""},
        // The OLE DB providers of SQL Server become FreeTDS's ODBC string.
        {"Provider=sqloledb;Data Source=SRV1;Initial Catalog=sms;User Id=u;Password=p;", "QODBC",
         "Driver={SQL Server};Server=SRV1;Port=1433;Database=sms;Uid=u;Pwd=p;" TDS, "", "", ""},
        {"Provider=sqloledb;Data Source=SRV1;Initial Catalog=sms;Integrated Security=SSPI;",
         "QODBC",
         "Driver={SQL Server};Server=SRV1;Port=1433;Database=sms;Trusted_Connection=Yes;" TDS, "",
         "", ""},
        {"Provider=SQLNCLI;Server=SRV1;Database=sms;Trusted_Connection=yes;", "QODBC",
         "Driver={SQL Server};Server=SRV1;Port=1433;Database=sms;Trusted_Connection=Yes;" TDS, "",
         "", ""},
        {"Provider=SQLNCLI;Server=SRV1;Database=sms;Uid=u;Pwd=p;", "QODBC",
         "Driver={SQL Server};Server=SRV1;Port=1433;Database=sms;Uid=u;Pwd=p;" TDS, "", "", ""},
    };
    for (const Case& c : cases) {
        const DriverTarget t = TargetForConnectionString(c.connectionString, "/etc/pelorus");
        SCOPED_TRACE(c.connectionString);
        ASSERT_TRUE(t.usable()) << t.error.toStdString();
        EXPECT_EQ(t.driver, c.driver);
        EXPECT_EQ(t.databaseName, c.databaseName);
        EXPECT_EQ(t.hostName, c.host);
        EXPECT_EQ(t.userName, c.user);
        EXPECT_EQ(t.password, c.password);
    }
}

TEST(DriverTargetTest, TimeoutsWhereTheDriverTakesThem) {
    const auto options = [](const char* connectionString) {
        return TargetForConnectionString(connectionString, "/tmp").connectOptions;
    };
    EXPECT_EQ(options("Driver={mySQL};Database=x;"),
              "SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=15");
    EXPECT_EQ(options("Provider=MySQLProv;Data Source=x;"),
              "MYSQL_OPT_CONNECT_TIMEOUT=10;MYSQL_OPT_READ_TIMEOUT=15;MYSQL_OPT_WRITE_TIMEOUT=15");
    EXPECT_EQ(options("Driver=SQLite3;Database=x;"), "QSQLITE_BUSY_TIMEOUT=15000;QSQLITE_OPEN_URI");
    // A missing file is opened without being created.
    EXPECT_EQ(SqliteUri("/srv/gw db?.db", false), "file:///srv/gw%20db%3F.db?mode=rw");
}

TEST(DriverTargetTest, StringsNoDriverServesSayWhy) {
    struct Case {
        const char* connectionString;
        const char* why;
    } cases[] = {
        {"Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=;", "Access"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sms;User Id=admin;Password=;", "Access"},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=sms;Persist Security Info=False;",
         "Access"},
        {"", "empty"},
        {"Driver=SQLite3;Database=;", "not named"},
        {"Provider=Unknown;Data Source=x;", "No driver"},
    };
    for (const Case& c : cases) {
        const DriverTarget t = TargetForConnectionString(c.connectionString, "/");
        EXPECT_FALSE(t.usable()) << c.connectionString;
        EXPECT_TRUE(t.error.contains(c.why)) << t.error.toStdString();
    }
}

}  // namespace
