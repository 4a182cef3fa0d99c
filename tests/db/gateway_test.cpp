// The gateway object on the embedded SQLite kind: its connection, the kinds with no driver here,
// its traces and its log file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include "DbTestSupport.h"
#include "testsupport.h"

namespace {

class GatewayTest : public dbtest::GatewayFixture {
protected:
    void SetUp() override { Open(dbtest::Engine::SQLite); }
};

TEST_F(GatewayTest, AnOpenConnectionIsKeptUntilClosed) {
    ASSERT_TRUE(ado->Connect());
    // The settings now ask for Access: nothing changes while the connection is open.
    settings.server({"SbType", "0"});
    EXPECT_TRUE(ado->Connect());
    EXPECT_TRUE(ado->CheckSend().has_value());
    EXPECT_TRUE(log.isEmpty()) << LogText();

    ado->CloseConnection();
    EXPECT_FALSE(ado->Connect());
    EXPECT_EQ(log.size(), 2) << LogText();
}

TEST_F(GatewayTest, EachObjectHasAConnectionOfItsOwn) {
    auto second = MakeAdo();
    EXPECT_NE(ado->connectionName(), second->connectionName());
    ASSERT_TRUE(ado->Connect());
    ASSERT_TRUE(second->WriteToTable("Send", "1", "from the second"));
    const QString name = second->connectionName();
    second.reset();
    EXPECT_FALSE(QSqlDatabase::contains(name));
    // The first object's connection is untouched by the other's end.
    const auto batch = ado->CheckSend();
    ASSERT_TRUE(batch.has_value());
    ASSERT_EQ(batch->size(), 1);
    EXPECT_TRUE(batch->first().endsWith("from the second"));
}

TEST_F(GatewayTest, KindsWithoutADriverFailThroughTheErrorPath) {
    struct Case {
        const char *sbType, *driver, *access, *mySqlOdbc;
        const char* reason;
        const char* connString;
    } cases[] = {
        {"0", "0", "0", "0", "no driver on this platform",
         "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=***;"},
        // MySQL through OLE DB with Trusted connection: the string is empty.
        {"4", "1", "1", "0", "empty", ""},
        // A combination with no string at all.
        {"4", "0", "0", "7", "No connection string for SbType 4, Driver 0, Access 0, MySqlODBC 7",
         ""},
    };
    settings.server({"DbName", "sms", "Pwd", "secret"});
    for (const Case& c : cases) {
        settings.server(
            {"SbType", c.sbType, "Driver", c.driver, "Access", c.access, "MySqlODBC", c.mySqlOdbc});
        log.clear();
        lamps.ResetAlarm(AlarmDatabase);
        EXPECT_FALSE(ado->Connect()) << c.sbType;
        ASSERT_EQ(log.size(), 2) << LogText();
        EXPECT_TRUE(log[0].contains(c.reason)) << log[0].toStdString();
        EXPECT_TRUE(log[0].endsWith("; Procedure: Connect DataBase;"));
        EXPECT_TRUE(log[1].endsWith(QString(";   ConnString;    ") + c.connString))
            << log[1].toStdString();
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
    }
}

TEST_F(GatewayTest, RecordsetTraceAddsTwoLinesToEveryCheck) {
    settings.set("Test", "Recordset", "1");
    ASSERT_TRUE(ado->WriteToTable("Send", "1", "a"));
    ASSERT_TRUE(ado->WriteToTable("Send", "2", "b"));
    ASSERT_TRUE(ado->CheckSend().has_value());
    EXPECT_EQ(log, (QStringList{"05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                "Select * from Send where Status=1;  Procedure: CheckSend;",
                                "05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                "Record Counts=2;  Procedure: CheckSend;"}));
    settings.set("Test", "Recordset", "0");
    ASSERT_TRUE(ado->CheckSend().has_value());
    EXPECT_EQ(log.size(), 2);
}

TEST_F(GatewayTest, ARowKeyThatIsNoNumberChangesNothing) {
    ASSERT_TRUE(ado->WriteToTable("Send", "1", "a"));
    const QString id = ado->CheckSend()->first().section(QChar(0), 0, 0);
    EXPECT_FALSE(ado->UpdateSend(id + " OR 1=1", 2));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith("; Procedure: UpdateSend;"));
    EXPECT_TRUE(log[1].endsWith(
        ";   ADO Error;     Querry: UPDATE Send SET Status=2 WHERE ID=" + id + " OR 1=1"));
    EXPECT_EQ(ado->CheckSend(), QStringList{id + QChar(0) + "1" + QChar(0) + "a"});  // still waits
}

TEST_F(GatewayTest, LinesGoToTheDailyFileOfTheLogFolder) {
    const QString folder = settings.folder() + "/Logs";
    ASSERT_TRUE(QDir().mkpath(folder));
    ado->setLogFolder(folder);
    ado->setTableSend("Missing");
    EXPECT_FALSE(ado->UpdateSend("1", 3));
    clock.advanceSecs(1);  // past midnight: a new file
    EXPECT_FALSE(ado->UpdateSend("2", 3));
    ASSERT_EQ(log.size(), 4) << LogText();
    const QString day1 = QString::fromUtf8(testsupport::ReadBytes(folder + "/20101105.txt"));
    const QString day2 = QString::fromUtf8(testsupport::ReadBytes(folder + "/20101106.txt"));
    EXPECT_EQ(day1, log[0] + "\r\n" + log[1] + "\r\n");
    EXPECT_TRUE(day2.startsWith("06.11.2010 00:00:00;   ADO Error;     Code: "));
    EXPECT_TRUE(day2.endsWith("Querry: UPDATE Missing SET Status=3 WHERE ID=2\r\n"));
}

TEST_F(GatewayTest, MisspeltSqliteFileIsNotCreatedAndNamedInTheLog) {
    settings.server({"DbName", "data/gw-typo.db"});
    EXPECT_FALSE(ado->CheckSend().has_value());
    EXPECT_FALSE(QFile::exists(settings.folder() + "/data/gw-typo.db"));
    EXPECT_TRUE(log.join("").contains("/data/gw-typo.db does not exist")) << LogText();
}

TEST_F(GatewayTest, LockedSqliteFileStallsAfterOneFailure) {
    QSqlQuery holder(database->verifier());
    ASSERT_TRUE(holder.exec("BEGIN EXCLUSIVE"));
    EXPECT_FALSE(ado->WriteToTable("Send", "1", "waits"));
    EXPECT_TRUE(ado->Stalled()) << LogText();
    ASSERT_TRUE(holder.exec("COMMIT"));
    EXPECT_TRUE(ado->WriteToTable("Send", "1", "goes"));
    EXPECT_FALSE(ado->Stalled());
}

}  // namespace
