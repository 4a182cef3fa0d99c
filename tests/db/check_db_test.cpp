// pelorus --check-db: what an operator sees when setting up a database.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "DbTestSupport.h"
#include "db/Schemas.h"
#include "testsupport.h"

namespace {

// Runs pelorus with the arguments; its exit code, all it printed in *output.
int Pelorus(const QStringList& arguments, QString* output = nullptr) {
    return dbtest::RunProgram(testsupport::BinaryDir() + "/tools/pelorus/pelorus", arguments,
                              output);
}

TEST(CheckDbTest, ConnectsAndCountsTheWaitingRows) {
    dbtest::TestSettings settings;
    dbtest::EngineDatabase database(dbtest::Engine::SQLite);
    QString output;
    ASSERT_TRUE(database.create(settings, &output)) << output.toStdString();
    ASSERT_EQ(dbtest::RunProgram("sqlite3", {settings.folder() + "/data/gw.db",
                                             "INSERT INTO Send (Number, SmsMessage) VALUES "
                                             "('1', 'a'), ('2', 'b');"}),
              0);
    EXPECT_EQ(Pelorus({"--config", settings.path(), "--check-db"}, &output), 0)
        << output.toStdString();
    EXPECT_TRUE(output.contains("Connection string: Driver=SQLite3;Database=data/gw.db;\n"));
    EXPECT_TRUE(output.contains("\nconnected\nrows waiting in Send: 2\n")) << output.toStdString();
    // The CheckSend trace is no failure.
    settings.set("Test", "Recordset", "1");
    EXPECT_EQ(Pelorus({"--config", settings.path(), "--check-db"}, &output), 0);
    EXPECT_TRUE(output.contains("Record Counts=2") && output.contains("rows waiting in Send: 2\n"))
        << output.toStdString();
}

TEST(CheckDbTest, InitDbMakesTheTablesOnce) {
    dbtest::TestSettings settings;
    settings.server({"SbType", "6", "DbName", "new.db"});
    QString output;
    EXPECT_EQ(Pelorus({"--config", settings.path(), "--init-db"}), 0);
    EXPECT_EQ(Pelorus({"--config", settings.path(), "--init-db"}, &output), 1);
    EXPECT_TRUE(output.contains("The table Send exists already")) << output.toStdString();
    // Every kind's script, with the tables' names of the settings; Receive has a key everywhere.
    for (int sbType : {2, 3, 4, 5, 6}) {
        const QString all =
            SchemaStatements(BuiltInSchema(SchemaFile(sbType)), "Out", "In").join("");
        EXPECT_TRUE(all.contains(QRegularExpression("In \\([^;]*PRIMARY KEY"))) << sbType;
    }
}

TEST(CheckDbTest, UnreachableDatabaseShowsTheDriversErrorAndFails) {
    dbtest::TestSettings settings;
    settings.server({"SbType", "4", "Driver", "1", "DbName", "sms", "User", "gw", "Pwd", "secret"});
    QString output;
    EXPECT_EQ(Pelorus({"--check-db", "--config", settings.path()}, &output), 1)
        << output.toStdString();
    EXPECT_TRUE(output.contains(
        "Connection string: Provider=MySQLProv;Data Source=sms;User Id=gw;Password=***;"));
    EXPECT_TRUE(output.contains("; Procedure: Connect DataBase;"));
    EXPECT_TRUE(output.contains("not connected"));
    EXPECT_FALSE(output.contains("secret"));
}

TEST(CheckDbTest, OtherOptionsStillWork) {
    dbtest::TestSettings settings;
    settings.server({"SbType", "6"});
    QString output;
    EXPECT_EQ(Pelorus({"--config", settings.path(), "--print-settings"}, &output), 0);
    EXPECT_TRUE(output.contains("SbType"));
    EXPECT_EQ(Pelorus({"--no-such-option"}), 2);
}

}  // namespace
