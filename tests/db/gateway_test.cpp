// The gateway object on the embedded SQLite kind: its connection, the kinds with no driver here,
// a misspelt or locked database file.
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlQuery>

#include "DbTestSupport.h"
#include "testsupport.h"

namespace {

class GatewayTest : public dbtest::GatewayFixture {
protected:
    void SetUp() override { Open(dbtest::Engine::SQLite); }
};

TEST_F(GatewayTest, EachObjectKeepsAConnectionOfItsOwnUntilClosed) {
    ASSERT_TRUE(ado->Connect());
    auto second = MakeAdo();
    ASSERT_TRUE(second->WriteToTable("Send", "1", "from the second"));
    second.reset();
    // The settings now ask for Access: nothing changes while the first connection is open, nor
    // at the second one's end.
    settings.server({"SbType", "0"});
    const QStringList batch = ado->CheckSend().value_or(QStringList());
    ASSERT_EQ(batch.size(), 1);
    EXPECT_TRUE(batch[0].endsWith("from the second"));
    EXPECT_TRUE(log.isEmpty()) << LogText();
    ado->CloseConnection();
    EXPECT_FALSE(ado->Connect());
    EXPECT_EQ(log.size(), 2) << LogText();
}

TEST_F(GatewayTest, KindsWithoutADriverFailThroughTheErrorPath) {
    const struct {
        const char *sbType, *driver, *access, *mySqlOdbc, *reason, *connString;
    } cases[] = {
        {"0", "0", "0", "0", "no driver on this platform",
         "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=***;"},
        {"4", "1", "1", "0", "empty", ""},  // MySQL, OLE DB, Trusted connection: no string
        {"4", "0", "0", "7", "No connection string for SbType 4, Driver 0, Access 0, MySqlODBC 7",
         ""},
    };
    settings.server({"DbName", "sms", "Pwd", "secret"});
    for (const auto& c : cases) {
        settings.server(
            {"SbType", c.sbType, "Driver", c.driver, "Access", c.access, "MySqlODBC", c.mySqlOdbc});
        log.clear();
        lamps.ResetAlarm(AlarmDatabase);
        EXPECT_FALSE(ado->Connect()) << c.sbType;
        ASSERT_EQ(log.size(), 2) << LogText();
        EXPECT_TRUE(log[0].contains(c.reason) && log[0].endsWith("; Procedure: Connect DataBase;"))
            << log[0].toStdString();
        EXPECT_TRUE(log[1].endsWith(QString(";   ConnString;    ") + c.connString)) << LogText();
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
    }
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
