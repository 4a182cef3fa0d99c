// The gateway object on the embedded SQLite kind: its connection, the kinds with no driver here,
// its traces and its log file.
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <memory>

#include <QDir>
#include "DbTestSupport.h"
#include "db/AdoClass.h"
#include "files/AlarmLamps.h"
#include "files/LogLines.h"

namespace {

class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(database.create(settings, &error)) << error.toStdString();
        ado = makeAdo();
    }
    std::unique_ptr<AdoClass> makeAdo() {
        auto a = std::make_unique<AdoClass>(&lamps, clock);
        a->setTableSend(QStringLiteral("Send"));
        a->setTableReceive(QStringLiteral("Receive"));
        a->onLogLine = [this](const QString& line) { log << line; };
        return a;
    }
    QString logText() const { return log.join(QLatin1Char('\n')); }

    dbtest::TestSettings settings;
    dbtest::EngineDatabase database{dbtest::Engine::SQLite};
    AlarmLamps lamps;
    FixedClock clock{QDateTime(QDate(2010, 11, 5), QTime(23, 59, 59))};
    std::unique_ptr<AdoClass> ado;
    QStringList log;
};

TEST_F(GatewayTest, AnOpenConnectionIsKeptUntilClosed) {
    ASSERT_TRUE(ado->Connect());
    // The settings now ask for Access: nothing changes while the connection is open.
    settings.server(QStringLiteral("SbType"), QStringLiteral("0"));
    EXPECT_TRUE(ado->Connect());
    EXPECT_TRUE(ado->CheckSend().has_value());
    EXPECT_TRUE(log.isEmpty());

    ado->CloseConnection();
    EXPECT_FALSE(ado->Connect());
    ASSERT_EQ(log.size(), 2) << logText().toStdString();
    EXPECT_TRUE(log[0].contains(QStringLiteral("no driver on this platform")));
    EXPECT_TRUE(log[1].endsWith(
        QStringLiteral(";   ConnString;    Driver={Microsoft Access Driver (*.mdb)};Dbq=data/"
                       "gw.db;Uid=Admin;Pwd=;")));
}

TEST_F(GatewayTest, EachObjectHasAConnectionOfItsOwn) {
    auto second = makeAdo();
    EXPECT_NE(ado->connectionName(), second->connectionName());
    ASSERT_TRUE(ado->Connect());
    ASSERT_TRUE(second->Connect());
    ASSERT_TRUE(second->WriteToTable(QStringLiteral("Send"), QStringLiteral("1"),
                                     QStringLiteral("from the second")));
    const QString name = second->connectionName();
    second.reset();
    EXPECT_FALSE(QSqlDatabase::contains(name));
    // The first object's connection is untouched by the other's end.
    const auto batch = ado->CheckSend();
    ASSERT_TRUE(batch.has_value());
    ASSERT_EQ(batch->size(), 1);
    EXPECT_TRUE(batch->first().endsWith(QStringLiteral("from the second")));
}

TEST_F(GatewayTest, KindsWithoutADriverFailThroughTheErrorPath) {
    struct Case {
        const char *sbType, *driver, *access, *mySqlOdbc;
        const char* reason;
        const char* connString;
    } cases[] = {
        {"0", "0", "0", "0", "no driver on this platform",
         "Driver={Microsoft Access Driver (*.mdb)};Dbq=sms;Uid=Admin;Pwd=***;"},
        {"0", "1", "1", "0", "no driver on this platform",
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sms;User Id=admin;Password=;"},
        {"1", "0", "0", "0", "no driver on this platform",
         "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=sms;Jet OLEDB:Database Password=***;"},
        // MySQL through OLE DB with Trusted connection: the string is empty.
        {"4", "1", "1", "0", "empty", ""},
        // Combinations with no string at all.
        {"5", "0", "1", "0", "No connection string for SbType 5, Driver 0, Access 1", ""},
        {"4", "0", "0", "7", "MySqlODBC 7", ""},
        {"9", "0", "0", "0", "SbType 9", ""},
    };
    settings.server(QStringLiteral("DbName"), QStringLiteral("sms"));
    settings.server(QStringLiteral("Pwd"), QStringLiteral("secret"));
    for (const Case& c : cases) {
        settings.server(QStringLiteral("SbType"), QString::fromUtf8(c.sbType));
        settings.server(QStringLiteral("Driver"), QString::fromUtf8(c.driver));
        settings.server(QStringLiteral("Access"), QString::fromUtf8(c.access));
        settings.server(QStringLiteral("MySqlODBC"), QString::fromUtf8(c.mySqlOdbc));
        log.clear();
        lamps.ResetAlarm(AlarmDatabase);
        EXPECT_FALSE(ado->Connect()) << c.sbType;
        ASSERT_EQ(log.size(), 2) << logText().toStdString();
        EXPECT_TRUE(log[0].contains(QString::fromUtf8(c.reason))) << log[0].toStdString();
        EXPECT_TRUE(log[0].endsWith(QStringLiteral("; Procedure: Connect DataBase;")));
        EXPECT_TRUE(log[1].endsWith(QStringLiteral(";   ConnString;    ") +
                                    QString::fromUtf8(c.connString)))
            << log[1].toStdString();
        EXPECT_FALSE(log[1].contains(QStringLiteral("secret")));
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
    }
}

TEST_F(GatewayTest, RecordsetTraceAddsTwoLinesToEveryCheck) {
    settings.set(QStringLiteral("Test"), QStringLiteral("Recordset"), QStringLiteral("1"));
    ASSERT_TRUE(
        ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("1"), QStringLiteral("a")));
    ASSERT_TRUE(
        ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("2"), QStringLiteral("b")));
    ASSERT_TRUE(ado->CheckSend().has_value());
    ASSERT_EQ(log.size(), 2) << logText().toStdString();
    EXPECT_EQ(log[0], QStringLiteral("05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                     "Select * from Send where Status=1;  Procedure: CheckSend;"));
    EXPECT_EQ(log[1], QStringLiteral("05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                     "Record Counts=2;  Procedure: CheckSend;"));
    settings.set(QStringLiteral("Test"), QStringLiteral("Recordset"), QStringLiteral("0"));
    ASSERT_TRUE(ado->CheckSend().has_value());
    EXPECT_EQ(log.size(), 2);
}

TEST_F(GatewayTest, ARowKeyThatIsNoNumberChangesNothing) {
    ASSERT_TRUE(
        ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("1"), QStringLiteral("a")));
    const QString id = ado->CheckSend()->first().section(QChar(0), 0, 0);
    EXPECT_FALSE(ado->UpdateSend(id + QStringLiteral(" OR 1=1"), 2));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("; Procedure: UpdateSend;")));
    EXPECT_TRUE(log[1].endsWith(QStringLiteral(";   ADO Error;     Querry: UPDATE Send SET "
                                               "Status=2 WHERE ID=") +
                                id + QStringLiteral(" OR 1=1")));
    EXPECT_EQ(ado->CheckSend()->size(), 1);  // still waiting
    EXPECT_FALSE(ado->CheckSend()->first().isEmpty());
}

TEST_F(GatewayTest, LinesGoToTheDailyFileOfTheLogFolder) {
    const QString folder = settings.folder() + QStringLiteral("/Logs");
    ASSERT_TRUE(QDir().mkpath(folder));
    ado->setLogFolder(folder);
    ado->setTableSend(QStringLiteral("Missing"));
    EXPECT_FALSE(ado->UpdateSend(QStringLiteral("1"), 3));
    clock.advanceSecs(1);  // past midnight: a new file
    EXPECT_FALSE(ado->UpdateSend(QStringLiteral("2"), 3));
    QFile first(folder + QStringLiteral("/20101105.txt"));
    QFile second(folder + QStringLiteral("/20101106.txt"));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    const QString day1 = QString::fromUtf8(first.readAll());
    const QString day2 = QString::fromUtf8(second.readAll());
    EXPECT_EQ(day1, log[0] + QStringLiteral("\r\n") + log[1] + QStringLiteral("\r\n"));
    EXPECT_TRUE(day2.startsWith(QStringLiteral("06.11.2010 00:00:00;   ADO Error;     Code: ")));
    EXPECT_TRUE(
        day2.endsWith(QStringLiteral("Querry: UPDATE Missing SET Status=3 WHERE ID=2\r\n")));
}

}  // namespace
