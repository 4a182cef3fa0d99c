// pelorus --init-db and --check-db: what an operator sees when setting up a database.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "DbTestSupport.h"
#include "db/Schemas.h"
#include "testsupport.h"

namespace {

// Runs pelorus with the arguments and the settings file; its exit code, all it printed in *output.
int Pelorus(const dbtest::TestSettings& settings, const QStringList& arguments,
            QString* output = nullptr) {
    return dbtest::RunProgram(testsupport::BinaryDir() + "/tools/pelorus/pelorus",
                              arguments + QStringList{"--config", settings.path()}, output);
}

// The tables are made once; the check connects and counts the waiting rows, and the CheckSend
// trace is no failure.
TEST(CheckDbTest, InitDbMakesTheTablesOnceAndCheckDbCountsTheWaitingRows) {
    dbtest::TestSettings settings;
    settings.server({"SbType", "6", "DbName", "new.db"});
    QString output;
    EXPECT_EQ(Pelorus(settings, {"--init-db"}), 0);
    EXPECT_EQ(Pelorus(settings, {"--init-db"}, &output), 1);
    EXPECT_TRUE(output.contains("The table Send exists already")) << output.toStdString();
    ASSERT_EQ(dbtest::RunProgram("sqlite3", {settings.folder() + "/new.db",
                                             "INSERT INTO Send (Number, SmsMessage) VALUES "
                                             "('1', 'a'), ('2', 'b');"}),
              0);
    for (const char* recordset : {"0", "1"}) {
        settings.set("Test", "Recordset", recordset);
        EXPECT_EQ(Pelorus(settings, {"--check-db"}, &output), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("Connection string: Driver=SQLite3;Database=new.db;\n"));
        EXPECT_TRUE(output.contains("\nconnected\n") &&
                    output.contains("\nrows waiting in Send: 2\n"))
            << output.toStdString();
    }
    EXPECT_TRUE(output.contains("Record Counts=2")) << output.toStdString();
    EXPECT_EQ(Pelorus(settings, {"--print-settings"}, &output), 0);
    EXPECT_TRUE(output.contains("SbType"));
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
    EXPECT_EQ(Pelorus(settings, {"--check-db"}, &output), 1) << output.toStdString();
    EXPECT_TRUE(output.contains(
        "Connection string: Provider=MySQLProv;Data Source=sms;User Id=gw;Password=***;"));
    EXPECT_TRUE(output.contains("; Procedure: Connect DataBase;"));
    EXPECT_TRUE(output.contains("not connected"));
    EXPECT_FALSE(output.contains("secret"));
    EXPECT_EQ(Pelorus(settings, {"--no-such-option"}), 2);
}

}  // namespace
