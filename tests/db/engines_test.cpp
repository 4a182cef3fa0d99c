// The gateway's statements on every engine the tests can reach: SQLite always, MariaDB through
// its native driver and the four ODBC variants, embedded Firebird.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <csignal>

#include "DbTestSupport.h"
#include "db/ConnectionString.h"
#include "db/CreateTables.h"
#include "files/LogTexts.h"
#include "settings/Settings.h"
#include "testsupport.h"

using dbtest::Engine;

namespace {

// Texts that break a statement built by plain concatenation.
const QStringList kAwkwardTexts = {
    "Привет, мир! Ёжик в тумане",
    "O'Brien's 'quoted' text",
    "C:\\path\\to\\file \\' \\\\",
    "'); DELETE FROM Send; --",
    "\"double\"; -- comment /* block */ %_",
    QString("Ж1").repeated(5000),
};
const std::optional<QStringList> kNothingWaits = QStringList{QString()};

ReceivedMsg Message(const QString& phone, const QString& text) {
    ReceivedMsg msg;
    msg.setPhone(phone);
    msg.setMsgText(text);
    return msg;
}

class EngineTest : public dbtest::GatewayFixture, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override { Open(GetParam()); }
    // Number -> text of every row of the receive table, each stored at the right moment.
    QMap<QString, QString> Received() {
        // The length as the database counts it: a driver that stored a stray terminator shows.
        const bool sqlite = GetParam() == Engine::SQLite;
        QSqlQuery q = Query(QStringLiteral("SELECT Number, SmsMessage, DateTime, %1(SmsMessage), "
                                           "%1(Number) FROM Receive")
                                .arg(QString(sqlite ? "length" : "CHAR_LENGTH")));
        QMap<QString, QString> rows;
        while (q.next()) {
            const QString number = q.value(0).toString(), text = q.value(1).toString();
            rows.insert(number, text);
            EXPECT_EQ(q.value(3).toInt(), text.size()) << text.toStdString();
            EXPECT_EQ(q.value(4).toInt(), number.size());
            // SQLite and Firebird store the gateway's clock, MariaDB its own Now().
            const QDateTime at = q.value(2).toDateTime();
            if (sqlite || GetParam() == Engine::Firebird)
                EXPECT_EQ(at, clock.now());
            else
                EXPECT_LT(qAbs(at.secsTo(QDateTime::currentDateTime())), 600);
        }
        return rows;
    }
};

TEST_P(EngineTest, FetchesWaitingRowsAndWritesTheirStatusBack) {
    EXPECT_EQ(ado->CheckSend(), kNothingWaits);
    // Three rows through the test-message write (Status from the table's default), one done.
    const QStringList numbers = {"79001234567", "+79007654321", "112"};
    const QStringList texts = {"first", kAwkwardTexts[0], QString()};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ado->WriteToTable("Send", numbers[i], texts[i])) << LogText();
    const QString doneRow = "INSERT INTO Send (Number, SmsMessage, Status) VALUES ('1', 'done', 2)";
    ASSERT_TRUE(ado->ExecuteQuery(doneRow));
    settings.set("Test", "Recordset", "1");  // two trace lines at every check
    QStringList ids(3);
    for (const QString& row : ado->CheckSend().value_or(QStringList())) {
        const QStringList fields = row.split(QChar(0));  // ID NUL Number NUL SmsMessage
        const int i = numbers.indexOf(fields.value(1));
        ASSERT_TRUE(fields.size() == 3 && i >= 0 && ids[i].isEmpty()) << row.toStdString();
        EXPECT_EQ(fields[2], texts[i]);
        ids[i] = fields[0];
    }
    settings.set("Test", "Recordset", "0");
    ASSERT_EQ(log.size(), 3) << LogText();
    EXPECT_TRUE(log[0].endsWith(LogTexts::kExecutingQuery + doneRow));
    EXPECT_EQ(log.mid(1), (QStringList{"05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                       "Select * from Send where Status=1;  Procedure: CheckSend;",
                                       "05.11.2010 23:59:59;   ADO Error;     Code: -1;  Descr:  "
                                       "Record Counts=3;  Procedure: CheckSend;"}));
    ASSERT_TRUE(ado->UpdateSend(ids[0], 2) && ado->UpdateSend(ids[1], 3)) << LogText();
    EXPECT_EQ(Column("SELECT Status FROM Send ORDER BY ID"), (QStringList{"2", "3", "1", "2"}));
    EXPECT_EQ(lamps.colour(0), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(1), AlarmLamps::kIdle);
    // A row key that is no number changes nothing: the row still waits.
    log.clear();
    EXPECT_FALSE(ado->UpdateSend(ids[2] + " OR 1=1", 2));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith("; Procedure: UpdateSend;"));
    EXPECT_TRUE(log[1].endsWith("Querry: UPDATE Send SET Status=2 WHERE ID=" + ids[2] + " OR 1=1"));
    EXPECT_EQ(ado->CheckSend(), QStringList{ids[2] + QChar(0) + "112" + QChar(0)});
    ASSERT_TRUE(ado->UpdateSend(ids[2], 2));
    EXPECT_EQ(ado->CheckSend(), kNothingWaits);

    // The unit-tracking updates run with their values.
    ASSERT_TRUE(
        ado->ExecuteQuery("CREATE TABLE Units (unit VARCHAR(20), lstactv INTEGER, "
                          "BattCharge INTEGER, statusid INTEGER, extinfo VARCHAR(50))"));
    ASSERT_TRUE(ado->ExecuteQuery("INSERT INTO Units VALUES ('U''1', 0, 0, 0, '')"));
    ASSERT_TRUE(ado->UpdateBattery("Units", "7", 85, "U'1"));
    ASSERT_TRUE(ado->UpdateStatus("Units", "8", "4", "50% 'low'", "U'1"));
    QSqlQuery q = Query("SELECT lstactv, BattCharge, statusid, extinfo FROM Units");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(QStringList({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                           q.value(3).toString()}),
              (QStringList{"8", "85", "4", "50% 'low'"}));
    EXPECT_EQ(log.size(), 4) << LogText();  // with the two statements announced
}

TEST_P(EngineTest, StoresEveryTextExactlyAsGiven) {
    for (const QString& text : kAwkwardTexts)
        ASSERT_TRUE(ado->WriteReceived(Message("+7'900" + QString::number(text.size()), text)))
            << LogText();
    // The test-message writes: "Send" exactly is the send table, anything else the receive one.
    ASSERT_TRUE(ado->WriteToTable("send", "lower\\case", "to the receive table"));
    ASSERT_TRUE(ado->WriteToTable("Receive", "1;2", "it's -- here"));
    ASSERT_TRUE(ado->WriteToTable("Send", "9'9", kAwkwardTexts[3]));
    const QMap<QString, QString> stored = Received();
    ASSERT_EQ(stored.size(), kAwkwardTexts.size() + 2);
    for (const QString& text : kAwkwardTexts)
        EXPECT_EQ(stored.value("+7'900" + QString::number(text.size())), text);
    EXPECT_EQ(stored.value("lower\\case"), "to the receive table");
    EXPECT_EQ(stored.value("1;2"), "it's -- here");
    // The send table is whole and holds the text that looked like a statement.
    const QStringList batch = ado->CheckSend().value_or(QStringList());
    ASSERT_EQ(batch.size(), 1);
    EXPECT_TRUE(batch[0].endsWith(QString("9'9") + QChar(0) + kAwkwardTexts[3]));
    // A NUL is stored whole or refused plainly.
    const QString withNul = QString("nul") + QChar(0) + "a" + QChar(0) + "b";
    const bool nulStored = ado->WriteToTable("Send", "nul", withNul.mid(4));
    EXPECT_EQ(ado->CheckSend()->join('|').contains(withNul), nulStored);
    EXPECT_TRUE(nulStored ? log.isEmpty() : log.join("").contains("holds a NUL character"))
        << LogText();
}

TEST_P(EngineTest, FailingStatementLogsTwoLinesAndReturnsFalse) {
    ASSERT_TRUE(ado->Connect());
    ado->setTableSend("NoSuchTable");
    ado->setTableReceive("NoSuchTable");
    const struct {
        std::function<bool()> run;
        QString procedure, secondLine;
    } cases[] = {
        {[&] { return ado->UpdateSend("17", 2); }, "UpdateSend",
         "ADO Error;     Querry: UPDATE NoSuchTable SET Status=2 WHERE ID=17"},
        {[&] { return ado->WriteReceived(Message("+7900", "it's")); }, "WriteReceived",
         "Querry;        INSERT INTO NoSuchTable (DateTime, Number, SmsMessage) VALUES ("},
        {[&] { return ado->WriteToTable("Send", "1", "x"); }, "WriteToTable",
         "Querry;        INSERT INTO NoSuchTable (Number, SmsMessage) VALUES ('1', 'x')"},
        {[&] { return ado->ExecuteQuery("DELETE FROM NoSuchTable"); }, "ExecuteQuery",
         "ADO Error;     Querry: DELETE FROM NoSuchTable"},
        // Reached but failed: one empty element, not "unreachable".
        {[&] { return ado->CheckSend() != kNothingWaits; }, "CheckSend",
         "ADO Error;     Querry: Select * from NoSuchTable where Status=1"},
    };
    // Each line goes to the day's file of the log folder too.
    const QString folder = settings.folder() + "/Logs";
    ASSERT_TRUE(QDir().mkpath(folder));
    ado->setLogFolder(folder);
    QStringList day1;
    for (const auto& c : cases) {
        if (c.procedure == "CheckSend")
            clock.advanceSecs(1);  // past midnight: a new file
        log.clear();
        lamps.ResetAlarm(AlarmDatabase);
        EXPECT_FALSE(c.run()) << c.procedure.toStdString();
        // ExecuteQuery announces its statement first.
        const qsizetype n = log.size();
        ASSERT_EQ(n, c.procedure == "ExecuteQuery" ? 3 : 2) << LogText();
        EXPECT_TRUE(log[n - 2].contains(";   ADO Error;     Code: ") &&
                    log[n - 2].endsWith("; Procedure: " + c.procedure + ";") &&
                    log[n - 1].contains(";   " + c.secondLine))
            << LogText();
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
        EXPECT_EQ(lamps.colour(1), AlarmLamps::kRed);
        if (c.procedure != "CheckSend")
            day1 += log;
    }
    EXPECT_EQ(testsupport::ReadBytes(folder + "/20101105.txt"),
              (day1.join("\r\n") + "\r\n").toUtf8());
    EXPECT_EQ(testsupport::ReadBytes(folder + "/20101106.txt"),
              (log.join("\r\n") + "\r\n").toUtf8());
    // The next statement that works turns the left lamp green; the right one keeps the alarm.
    ado->setTableSend("Send");
    ASSERT_TRUE(ado->CheckSend().has_value());
    EXPECT_EQ(lamps.colour(0), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(1), AlarmLamps::kRed);
}

TEST_P(EngineTest, UnreachableDatabaseGivesNoListWithinTheTimeout) {
    database->makeUnreachable(settings);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ado->CheckSend().has_value());
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(log.size(), 2) << LogText();
    EXPECT_TRUE(log[0].endsWith("; Procedure: Connect DataBase;"));
    // The password never reaches the log.
    EXPECT_TRUE(
        log[1].endsWith(LogTexts::kConnStringPrefix + *LoggedConnectionString(ReadDbSettings())));
    const QString password = ReadSetting(Setting::ServerPwd);
    EXPECT_TRUE(password.isEmpty() || !log[1].contains(password)) << log[1].toStdString();
    EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
    // The other operations give up quietly: Connect has said it all, two lines each.
    log.clear();
    EXPECT_FALSE(ado->UpdateSend("1", 2) || ado->WriteToTable("Send", "1", "x"));
    EXPECT_EQ(log.size(), 4);
    EXPECT_FALSE(log.join("").contains("Querry")) << LogText();
}

// Rows of one subscriber listing reference 7 alone, amid others and not at all (70 is no 7).
TEST_P(EngineTest, ReportsFindTheOpenRowsOfTheirReferenceNewestFirst) {
    ASSERT_EQ(ado->HasReportColumns(), true) << LogText();
    QStringList ids;
    for (const QString references : {"7", "5,7,9", "17,70"}) {
        ASSERT_TRUE(ado->WriteToTable("Send", "79001234567", references));
        ids << ado->CheckSend()->last().section(QChar(0), 0, 0);
        ASSERT_TRUE(ado->UpdateSend(ids.last(), 2) && ado->WriteReference(ids.last(), references));
    }
    const auto idsOf = [&](int mr) {
        QStringList found;
        const auto rows =
            ado->OpenRowsWithReference(mr);  // held: a loop over a temporary's value() dangles
        for (const AdoClass::OpenRow& row : rows.value())
            found << row.id;
        return found;
    };
    EXPECT_EQ(idsOf(7), (QStringList{ids[1], ids[0]}));
    const QDateTime at(QDate(2026, 12, 5), QTime(14, 3, 7));
    ASSERT_TRUE(ado->WriteDelivery(ids[1], 0, at));     // final: the row leaves the window
    ASSERT_TRUE(ado->WriteDelivery(ids[2], 0x20, {}));  // pending: it stays
    EXPECT_EQ(idsOf(7), QStringList{ids[0]});
    EXPECT_EQ(idsOf(70), QStringList{ids[2]});
    EXPECT_TRUE(idsOf(0).isEmpty());
    QSqlQuery q = Query("SELECT DeliveryStatus, DeliveredAt FROM Send WHERE ID=" + ids[1]);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
    EXPECT_EQ(q.value(1).toDateTime(), at);
    ado->setTableSend("Receive");  // a table without the columns, asked without a log line
    EXPECT_EQ(ado->HasReportColumns(), false);
    EXPECT_TRUE(log.isEmpty()) << LogText();
}

TEST_P(EngineTest, InitDbMakesTheTablesOnlyWhereThereAreNone) {
    EXPECT_TRUE(CreateTables("Send", "Receive").message.contains("exists already"));
    // Tables of other names, from the same built-in script.
    const CreateTablesOutcome made = CreateTables("Outbox", "Inbox");
    ASSERT_TRUE(made.created) << made.message.toStdString();
    ado->setTableSend("Outbox");
    ASSERT_TRUE(ado->WriteToTable("Send", "1", "via Outbox"));
    EXPECT_EQ(ado->CheckSend()->size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest,
                         ::testing::Values(Engine::SQLite, Engine::MariaDbOleDb,
                                           Engine::MariaDbOdbc0, Engine::MariaDbOdbc1,
                                           Engine::MariaDbOdbc2, Engine::MariaDbOdbc3,
                                           Engine::Firebird),
                         ::testing::PrintToStringParamName());

// A held row lock (Firebird) and a stopped server (MariaDB) end within the bounds plus what a
// loaded machine adds; the call reports a stall.
constexpr qint64 kConnectBoundMs = 11500, kStatementBoundMs = 16500;

class StallTest : public dbtest::GatewayFixture {};

TEST_F(StallTest, FirebirdRowLockEndsAtTheStatementBound) {
    Open(Engine::Firebird);
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(ado->WriteToTable("Send", "1", "a"));
    ASSERT_TRUE(database->verifier().transaction());  // that holds the row it updates
    ASSERT_TRUE(QSqlQuery(database->verifier()).exec("UPDATE Send SET Status=2"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ado->UpdateSend(ado->CheckSend()->first().section(QChar(0), 0, 0), 3));
    EXPECT_LT(timer.elapsed(), kStatementBoundMs);
    EXPECT_TRUE(ado->Stalled()) << LogText();
}

TEST_F(StallTest, StoppedMariaDbServerHoldsNoCallBeyondItsBound) {
    Open(Engine::MariaDbOdbc1);
    if (IsSkipped() || HasFatalFailure())
        return;
    database->holdServerAlone();  // the other MariaDB tests wait meanwhile
    ASSERT_TRUE(ado->Connect());
    const int pid =
        testsupport::ReadBytes(QFileInfo(qEnvironmentVariable("PELORUS_MARIADB_SOCKET")).path() +
                               "/mariadbd.pid")
            .toInt();
    // Resumed at the end, and after a minute by a watchdog in a session of its own should this
    // process crash or its whole process group be killed (as the mutation tool's fail-fast does).
    const QString resumeLater = QString("sleep 60; kill -CONT %1").arg(pid);
    ASSERT_TRUE(pid > 0 && QProcess::startDetached("setsid", {"sh", "-c", resumeLater}));
    ASSERT_EQ(kill(pid, SIGSTOP), 0);
    const std::shared_ptr<void> resume(nullptr, [pid](void*) { kill(pid, SIGCONT); });
    QThread::msleep(300);  // each of the server's threads stops when it is next scheduled
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ado->UpdateSend("1", 2));
    EXPECT_LT(timer.restart(), kStatementBoundMs);
    EXPECT_TRUE(ado->Stalled()) << LogText();
    EXPECT_FALSE(MakeAdo()->Connect());
    EXPECT_LT(timer.elapsed(), kConnectBoundMs);
    // The lost connection has nothing more to say: the log keeps the driver's last words.
    EXPECT_FALSE(ado->UpdateSend("1", 3));
    EXPECT_TRUE(log.last(2)[0].contains("Lost connection")) << LogText();
}

}  // namespace
