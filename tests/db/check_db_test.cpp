// pelorus --check-db: what an operator sees when setting up a database.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "testsupport.h"

namespace {

QString Pelorus() {
    return testsupport::BinaryDir() + QStringLiteral("/tools/pelorus/pelorus");
}

TEST(CheckDbTest, ConnectsAndCountsTheWaitingRows) {
    dbtest::TestSettings settings;
    dbtest::EngineDatabase database(dbtest::Engine::SQLite);
    QString error;
    ASSERT_TRUE(database.create(settings, &error)) << error.toStdString();
    ASSERT_EQ(dbtest::RunProgram(QStringLiteral("sqlite3"),
                                 {settings.folder() + QStringLiteral("/data/gw.db"),
                                  QStringLiteral("INSERT INTO Send (Number, SmsMessage) VALUES "
                                                 "('1', 'a'), ('2', 'b');")}),
              0);
    QString output;
    EXPECT_EQ(
        dbtest::RunProgram(
            Pelorus(), {QStringLiteral("--config"), settings.path(), QStringLiteral("--check-db")},
            QString(), &output),
        0)
        << output.toStdString();
    EXPECT_TRUE(output.contains(
        QStringLiteral("Connection string: Driver=SQLite3;Database=data/gw.db;\n")));
    EXPECT_TRUE(output.contains(QStringLiteral("\nconnected\nrows waiting in Send: 2\n")))
        << output.toStdString();
}

TEST(CheckDbTest, UnreachableDatabaseShowsTheDriversErrorAndFails) {
    dbtest::TestSettings settings;
    settings.server(QStringLiteral("SbType"), QStringLiteral("4"));
    settings.server(QStringLiteral("Driver"), QStringLiteral("1"));
    settings.server(QStringLiteral("DbName"), QStringLiteral("sms"));
    settings.server(QStringLiteral("User"), QStringLiteral("gw"));
    settings.server(QStringLiteral("Pwd"), QStringLiteral("secret"));
    QString output;
    EXPECT_EQ(
        dbtest::RunProgram(
            Pelorus(), {QStringLiteral("--check-db"), QStringLiteral("--config"), settings.path()},
            QString(), &output),
        1)
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral(
        "Connection string: Provider=MySQLProv;Data Source=sms;User Id=gw;Password=***;")));
    EXPECT_TRUE(output.contains(QStringLiteral("; Procedure: Connect DataBase;")));
    EXPECT_TRUE(output.contains(QStringLiteral("not connected")));
    EXPECT_FALSE(output.contains(QStringLiteral("secret")));
}

TEST(CheckDbTest, OtherOptionsStillWork) {
    dbtest::TestSettings settings;
    settings.server(QStringLiteral("SbType"), QStringLiteral("6"));
    QString output;
    EXPECT_EQ(dbtest::RunProgram(
                  Pelorus(),
                  {QStringLiteral("--config"), settings.path(), QStringLiteral("--print-settings")},
                  QString(), &output),
              0);
    EXPECT_TRUE(output.contains(QStringLiteral("SbType")));
    EXPECT_EQ(dbtest::RunProgram(Pelorus(), {QStringLiteral("--no-such-option")}), 2);
}

}  // namespace
