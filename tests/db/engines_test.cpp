// The gateway's statements on every engine the tests can reach: SQLite always, MariaDB through
// its native driver and the four ODBC variants, embedded Firebird.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

#include "DbTestSupport.h"
#include "db/AdoClass.h"
#include "db/ConnectionString.h"
#include "files/AlarmLamps.h"
#include "files/LogTexts.h"
#include "settings/Settings.h"

using dbtest::Engine;

namespace {

struct EngineCase {
    const char* name;
    Engine engine;
};
// Names the engine in test listings instead of dumping the struct's bytes.
void PrintTo(const EngineCase& c, std::ostream* os) {
    *os << c.name;
}

const EngineCase kEngines[] = {
    {"SQLite", Engine::SQLite},
    {"MariaDbOleDb", Engine::MariaDbOleDb},
    {"MariaDbOdbc0", Engine::MariaDbOdbc0},
    {"MariaDbOdbc1", Engine::MariaDbOdbc1},
    {"MariaDbOdbc2", Engine::MariaDbOdbc2},
    {"MariaDbOdbc3", Engine::MariaDbOdbc3},
    {"Firebird", Engine::Firebird},
};

// Texts that break a statement built by plain concatenation.
const QStringList kAwkwardTexts = {
    QStringLiteral("Привет, мир! Ёжик в тумане"),
    QStringLiteral("O'Brien's 'quoted' text"),
    QStringLiteral("C:\\path\\to\\file \\' \\\\"),
    QStringLiteral("'); DELETE FROM Send; --"),
    QStringLiteral("\"double\"; -- comment /* block */ %_"),
};

class EngineTest : public ::testing::TestWithParam<EngineCase> {
protected:
    void SetUp() override {
        const QString skip = dbtest::SkipReason(GetParam().engine);
        if (!skip.isEmpty())
            GTEST_SKIP() << skip.toStdString();
        database = std::make_unique<dbtest::EngineDatabase>(GetParam().engine);
        QString error;
        ASSERT_TRUE(database->create(settings, &error)) << error.toStdString();
        ado = std::make_unique<AdoClass>(&lamps, clock);
        ado->setTableSend(QStringLiteral("Send"));
        ado->setTableReceive(QStringLiteral("Receive"));
        ado->onLogLine = [this](const QString& line) { log << line; };
    }
    void TearDown() override {
        ado.reset();
        database.reset();
    }

    bool usesClockForDates() const {
        return GetParam().engine == Engine::SQLite || GetParam().engine == Engine::Firebird;
    }

    // Number and text of every row of the receive table, with the moment stored.
    struct Received {
        QString number, text;
        QDateTime at;
    };
    QList<Received> received() {
        QSqlDatabase db = database->verifier();
        EXPECT_TRUE(db.isOpen()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        // The length as the database counts it: a driver that stored a stray terminator shows.
        const QString length = GetParam().engine == Engine::SQLite ? QStringLiteral("length")
                                                                   : QStringLiteral("CHAR_LENGTH");
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT Number, SmsMessage, DateTime, %1(SmsMessage), "
                                          "%1(Number) FROM Receive")
                               .arg(length)))
            << q.lastError().text().toStdString();
        QList<Received> rows;
        while (q.next()) {
            rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toDateTime()});
            EXPECT_EQ(q.value(3).toInt(), rows.last().text.size())
                << q.value(1).toString().toStdString();
            EXPECT_EQ(q.value(4).toInt(), rows.last().number.size());
        }
        return rows;
    }
    int statusOf(const QString& id) {
        QSqlQuery q(database->verifier());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT Status FROM Send WHERE ID=") + id));
        return q.next() ? q.value(0).toInt() : -1;
    }

    dbtest::TestSettings settings;
    std::unique_ptr<dbtest::EngineDatabase> database;
    AlarmLamps lamps;
    FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30))};
    std::unique_ptr<AdoClass> ado;
    QStringList log;
};

TEST_P(EngineTest, FetchesWaitingRowsAndWritesTheirStatusBack) {
    const std::optional<QStringList> empty = ado->CheckSend();
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(*empty, QStringList{QString()});  // nothing waits: one empty element

    // Three rows through the test-message write (Status from the table's default), one done.
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("79001234567"),
                                  QStringLiteral("first")));
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("+79007654321"),
                                  kAwkwardTexts[0]));
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("112"), QString()));
    ASSERT_TRUE(ado->ExecuteQuery(
        QStringLiteral("INSERT INTO Send (Number, SmsMessage, Status) VALUES ('1', 'done', 2)")));

    const std::optional<QStringList> batch = ado->CheckSend();
    ASSERT_TRUE(batch.has_value());
    ASSERT_EQ(batch->size(), 3);
    QMap<QString, QString> textByNumber;
    QMap<QString, QString> idByNumber;
    for (const QString& row : *batch) {
        EXPECT_EQ(row.count(QChar(0)), 2) << row.toStdString();
        const QStringList f = row.split(QChar(0));
        bool numeric = false;
        f[0].toLongLong(&numeric);
        EXPECT_TRUE(numeric) << f[0].toStdString();
        idByNumber.insert(f[1], f[0]);
        textByNumber.insert(f[1], f[2]);
    }
    EXPECT_EQ(textByNumber.value(QStringLiteral("79001234567")), QStringLiteral("first"));
    EXPECT_EQ(textByNumber.value(QStringLiteral("+79007654321")), kAwkwardTexts[0]);
    EXPECT_TRUE(textByNumber.contains(QStringLiteral("112")));
    EXPECT_EQ(textByNumber.value(QStringLiteral("112")), QString());

    ASSERT_TRUE(ado->UpdateSend(idByNumber.value(QStringLiteral("79001234567")), 2));
    ASSERT_TRUE(ado->UpdateSend(idByNumber.value(QStringLiteral("+79007654321")), 3));
    EXPECT_EQ(statusOf(idByNumber.value(QStringLiteral("79001234567"))), 2);
    EXPECT_EQ(statusOf(idByNumber.value(QStringLiteral("+79007654321"))), 3);
    const std::optional<QStringList> rest = ado->CheckSend();
    ASSERT_TRUE(rest.has_value());
    ASSERT_EQ(rest->size(), 1);
    EXPECT_TRUE(rest->first().startsWith(idByNumber.value(QStringLiteral("112")) + QChar(0)));

    ASSERT_TRUE(ado->UpdateSend(idByNumber.value(QStringLiteral("112")), 2));
    EXPECT_EQ(ado->CheckSend(), std::optional<QStringList>(QStringList{QString()}));
    ASSERT_EQ(log.size(), 1) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        log[0].endsWith(QStringLiteral(";   Executing query;   : INSERT INTO Send (Number, "
                                       "SmsMessage, Status) VALUES ('1', 'done', 2)")));
    EXPECT_EQ(lamps.colour(0), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(1), AlarmLamps::kIdle);
}

TEST_P(EngineTest, StoresEveryTextExactlyAsGiven) {
    for (const QString& text : kAwkwardTexts) {
        ReceivedMsg msg;
        msg.setPhone(QStringLiteral("+7'900") + QString::number(text.size()));
        msg.setMsgText(text);
        ASSERT_TRUE(ado->WriteReceived(msg)) << log.join(QLatin1Char('\n')).toStdString();
    }
    // The test-message writes: "Send" exactly is the send table, anything else the receive one.
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("send"), QStringLiteral("lower\\case"),
                                  QStringLiteral("to the receive table")));
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("Receive"), QStringLiteral("1;2"),
                                  QStringLiteral("it's -- here")));
    ASSERT_TRUE(ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("9'9"), kAwkwardTexts[3]));

    QMap<QString, QString> stored;
    const QDateTime now = QDateTime::currentDateTime();
    for (const Received& r : received()) {
        stored.insert(r.number, r.text);
        if (usesClockForDates())
            EXPECT_EQ(r.at, clock.now()) << r.number.toStdString();
        else
            EXPECT_LT(qAbs(r.at.secsTo(now)), 600) << r.at.toString().toStdString();
    }
    ASSERT_EQ(stored.size(), kAwkwardTexts.size() + 2);
    for (const QString& text : kAwkwardTexts)
        EXPECT_EQ(stored.value(QStringLiteral("+7'900") + QString::number(text.size())), text);
    EXPECT_EQ(stored.value(QStringLiteral("lower\\case")), QStringLiteral("to the receive table"));
    EXPECT_EQ(stored.value(QStringLiteral("1;2")), QStringLiteral("it's -- here"));

    // The send table is whole and holds the text that looked like a statement.
    const std::optional<QStringList> batch = ado->CheckSend();
    ASSERT_TRUE(batch.has_value());
    ASSERT_EQ(batch->size(), 1);
    EXPECT_TRUE(batch->first().endsWith(QStringLiteral("9'9") + QChar(0) + kAwkwardTexts[3]));
    EXPECT_TRUE(log.isEmpty()) << log.join(QLatin1Char('\n')).toStdString();
}

TEST_P(EngineTest, FailingStatementLogsTwoLinesAndReturnsFalse) {
    ASSERT_TRUE(ado->Connect());
    ado->setTableSend(QStringLiteral("NoSuchTable"));
    ado->setTableReceive(QStringLiteral("NoSuchTable"));
    struct Case {
        std::function<bool()> run;
        QString procedure;
        QString secondLine;
    } cases[] = {
        {[&] { return ado->UpdateSend(QStringLiteral("17"), 2); },
         QStringLiteral("; Procedure: UpdateSend;"),
         QStringLiteral("ADO Error;     Querry: UPDATE NoSuchTable SET Status=2 WHERE ID=17")},
        {[&] {
             ReceivedMsg m;
             m.setPhone(QStringLiteral("+7900"));
             m.setMsgText(QStringLiteral("it's"));
             return ado->WriteReceived(m);
         },
         QStringLiteral("; Procedure: WriteReceived;"),
         QStringLiteral("Querry;        INSERT INTO NoSuchTable (DateTime, Number, SmsMessage) "
                        "VALUES (")},
        {[&] {
             return ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("1"),
                                      QStringLiteral("x"));
         },
         QStringLiteral("; Procedure: WriteToTable;"),
         QStringLiteral("Querry;        INSERT INTO NoSuchTable (Number, SmsMessage) VALUES ('1', "
                        "'x')")},
        {[&] { return ado->ExecuteQuery(QStringLiteral("DELETE FROM NoSuchTable")); },
         QStringLiteral("; Procedure: ExecuteQuery;"),
         QStringLiteral("ADO Error;     Querry: DELETE FROM NoSuchTable")},
        {[&] {
             const auto batch = ado->CheckSend();
             // Reached but failed: one empty element, not "unreachable".
             return !(batch.has_value() && *batch == QStringList{QString()});
         },
         QStringLiteral("; Procedure: CheckSend;"),
         QStringLiteral("ADO Error;     Querry: Select * from NoSuchTable where Status=1")},
    };
    for (const Case& c : cases) {
        log.clear();
        lamps.ResetAlarm(AlarmDatabase);
        EXPECT_FALSE(c.run()) << c.procedure.toStdString();
        // ExecuteQuery announces its statement first.
        if (c.procedure.contains(QStringLiteral("ExecuteQuery")) && !log.isEmpty()) {
            EXPECT_TRUE(log.takeFirst().endsWith(LogTexts::kExecutingQuery +
                                                 QStringLiteral("DELETE FROM NoSuchTable")));
        }
        ASSERT_EQ(log.size(), 2) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(log[0].contains(QStringLiteral(";   ADO Error;     Code: ")));
        EXPECT_TRUE(log[0].endsWith(c.procedure)) << log[0].toStdString();
        EXPECT_TRUE(log[1].contains(QStringLiteral(";   ") + c.secondLine)) << log[1].toStdString();
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);
        EXPECT_EQ(lamps.colour(1), AlarmLamps::kRed);
    }
    // The next statement that works turns the left lamp green; the right one keeps the alarm.
    ado->setTableSend(QStringLiteral("Send"));
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
    ASSERT_EQ(log.size(), 2) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("; Procedure: Connect DataBase;")));
    EXPECT_TRUE(log[1].contains(QStringLiteral(";   ConnString;    ")));
    // The password never reaches the log.
    EXPECT_TRUE(
        log[1].endsWith(LogTexts::kConnStringPrefix + *LoggedConnectionString(ReadDbSettings())));
    const QString password = ReadSetting(Setting::ServerPwd);
    if (!password.isEmpty()) {
        EXPECT_FALSE(log[1].contains(password)) << log[1].toStdString();
    }
    EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed);

    // The other operations give up quietly: Connect has said it all.
    log.clear();
    EXPECT_FALSE(ado->UpdateSend(QStringLiteral("1"), 2));
    EXPECT_FALSE(
        ado->WriteToTable(QStringLiteral("Send"), QStringLiteral("1"), QStringLiteral("x")));
    EXPECT_EQ(log.size(), 4);  // two Connect lines each
    for (const QString& line : log)
        EXPECT_FALSE(line.contains(QStringLiteral("Querry")));
}

TEST_P(EngineTest, UnitUpdatesRunWithTheirValues) {
    ASSERT_TRUE(ado->ExecuteQuery(
        QStringLiteral("CREATE TABLE Units (unit VARCHAR(20), lstactv INTEGER, BattCharge INTEGER, "
                       "statusid INTEGER, extinfo VARCHAR(50))")));
    ASSERT_TRUE(
        ado->ExecuteQuery(QStringLiteral("INSERT INTO Units (unit, lstactv, BattCharge, statusid, "
                                         "extinfo) VALUES ('U''1', 0, 0, 0, '')")));
    ASSERT_TRUE(ado->UpdateBattery(QStringLiteral("Units"), QStringLiteral("7"), 85,
                                   QStringLiteral("U'1")));
    ASSERT_TRUE(ado->UpdateStatus(QStringLiteral("Units"), QStringLiteral("8"), QStringLiteral("4"),
                                  QStringLiteral("50% 'low'"), QStringLiteral("U'1")));
    QSqlQuery q(database->verifier());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT lstactv, BattCharge, statusid, extinfo FROM Units")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 8);
    EXPECT_EQ(q.value(1).toInt(), 85);
    EXPECT_EQ(q.value(2).toInt(), 4);
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("50% 'low'"));
    // ExecuteQuery announced each of its two statements.
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains(QStringLiteral(";   Executing query;   : CREATE TABLE Units")));
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::ValuesIn(kEngines),
                         [](const ::testing::TestParamInfo<EngineCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
