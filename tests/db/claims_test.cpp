// Several gateways on one send table: the claims on each engine's own clock, and gateways run as
// programs, each with its own modem, through kills, restarts and a modem pulled out.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>
#include <csignal>

#include "DbTestSupport.h"
#include "db/Claims.h"
#include "modemsim_support.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "testsupport.h"

using dbtest::Engine;

namespace {

class ClaimsTest : public dbtest::GatewayFixture, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override { Open(GetParam()); }
    QString IdsWhere(const QString& condition) {
        return Column("SELECT ID FROM Send WHERE " + condition + " ORDER BY ID").join(',');
    }
};

TEST_P(ClaimsTest, TakesFreeWaitingRowsInOrderAndGivesThemBack) {
    const ClaimDialect dialect = ClaimDialectOf(SettingNumber(Setting::ServerSbType));
    int id = 0;  // rows 1 to 10, each with its status, holder and lease end
    for (const testsupport::TsvRow& r : testsupport::DataTsv("claim_rows.tsv"))
        Column(QString("INSERT INTO Send (ID, Number, SmsMessage, Status, Gateway, ClaimedUntil) "
                       "VALUES (%1, '7900', 'text', %2)")
                   .arg(++id)
                   .arg(r.fields.join(',')));
    settings.set("Options", "GatewayId", "A");
    ClaimTerms terms{ClaimDialect::None, QString(), "A", 2, 60};
    // Two rows a claim, the lowest free first; A's own leased row is loaded with them.
    for (const QString expected : {"1,5,9", "1,5,8,9,10", "1,5,8,9,10"}) {
        const std::optional<QStringList> loaded = ado->ClaimSend(terms);
        EXPECT_EQ(IdsWhere("Gateway='A'"), expected);
        ASSERT_EQ(loaded.value_or(QStringList()).size(), expected.count(',') + 1) << LogText();
    }
    // The lease ends on the database's clock; A's own row was renewed with the claims.
    EXPECT_EQ(IdsWhere("ClaimedUntil BETWEEN " + LeaseEndExpression(dialect, 50) + " AND " +
                       LeaseEndExpression(dialect, 70)),
              "1,5,8,9,10");
    EXPECT_EQ(ado->HoldClaim(terms, "5"), true);
    EXPECT_EQ(ado->HoldClaim(terms, "4"), false);
    ASSERT_TRUE(ado->UpdateSend("1", 2));
    EXPECT_EQ(ado->HoldClaim(terms, "1"), false);
    ASSERT_TRUE(ado->ReleaseClaims(terms, {"5"}));
    EXPECT_EQ(IdsWhere("Gateway IS NOT NULL OR ClaimedUntil IS NOT NULL"), "4,5,6,7");
    EXPECT_TRUE(log.isEmpty()) << LogText();

    if (dialect == ClaimDialect::SQLite) {  // a claim refused midway leaves no transaction open
        Column(
            "CREATE TRIGGER refuse BEFORE UPDATE OF Gateway ON Send WHEN OLD.Gateway IS NULL "
            "BEGIN SELECT RAISE(ABORT, 'claim refused'); END");
        ado->ClaimSend(terms);
        EXPECT_TRUE(log.join("").contains("claim refused")) << LogText();
        Column("DROP TRIGGER refuse");  // waits for the file's lock in vain when one is held
        log.clear();
    }
    // A table made before the claim columns: one line and nothing to send with a name, the
    // write-back as ever without one.
    Column("CREATE TABLE Legacy (ID INTEGER, Status INTEGER)");
    Column("INSERT INTO Legacy VALUES (1, 1)");
    ado->setTableSend("Legacy");
    EXPECT_EQ(ado->ClaimSend(terms), QStringList{QString()});
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("Code: 020")) << LogText();
    settings.set("Options", "GatewayId", "");
    EXPECT_TRUE(ado->UpdateSend("1", 2)) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Engines, ClaimsTest,
                         ::testing::Values(Engine::SQLite, Engine::MariaDbOleDb,
                                           Engine::MariaDbOdbc1, Engine::Firebird),
                         ::testing::PrintToStringParamName());

// One gateway as a program: its folder (settings, journal, log), its modem, its output.
struct Program {
    QTemporaryDir dir;
    testsupport::ModemSim modem;
    QProcess process;
    QString ini() const { return dir.filePath("Pelorus.ini"); }
    QString output() const { return testsupport::ReadBytes(dir.filePath("out.txt")); }
    void start(const QString& serverIni, const QStringList& options) {
        QFile::remove(ini());
        QFile::copy(serverIni, ini());
        for (const QString& o :
             options + QStringList{"Phone/ComPort=" + modem.link(), "Phone/ComPortSpeed=115200",
                                   "Phone/Period=1", "SMS/SMSC=79001111111"})
            WriteINI(ini(), o.section('/', 0, 0), o.section('/', 1).section('=', 0, 0),
                     o.section('=', 1));
        process.setStandardOutputFile(dir.filePath("out.txt"), QIODevice::Append);
        process.start(testsupport::BinaryDir() + "/tools/pelorus/pelorus",
                      {"--headless", "--config", ini(), "--pause-percent", "10"});
    }
};

class ProgramsTest : public ClaimsTest {};

// Gateway A meets its fate (stopA) in each scenario: nothing, a kill once its modem sent three, or
// a kill or a stop while its modem holds back the prompt of its first send (a late-prompt modem).
TEST_P(ProgramsTest, EveryRowIsSentOnceWhateverBefallsAGateway) {
    const QString serverIni = settings.folder() + "/server.ini";
    for (const testsupport::TsvRow& s : testsupport::DataTsv("claims_scenarios.tsv")) {
        SCOPED_TRACE(s["name"].toStdString());
        const int rows = s["rows"].toInt(), late = s["added"].toInt();
        Column("DELETE FROM Send");
        QFile::copy(settings.path(), serverIni);
        if (GetParam() == Engine::SQLite)  // the file's path as seen from every folder
            WriteINI(serverIni, "Server", "DbName", settings.folder() + "/data/gw.db");
        const auto addRows = [&](int from, int to) {
            for (int i = from; i < to; ++i)
                Column(QString("INSERT INTO Send (Number, SmsMessage) VALUES ('79%1', 'row')")
                           .arg(i, 9, 10, QChar('0')));
        };
        addRows(0, rows - late);
        Program a, b;
        const QStringList options = s["optionsA"].split(' ', Qt::SkipEmptyParts);
        ASSERT_TRUE(a.modem.start(s["modemA"].split(' ', Qt::SkipEmptyParts)) && b.modem.start());
        a.start(serverIni, options + QStringList{"Options/GatewayId=A"});
        ASSERT_TRUE(!s["stopA"].endsWith("prompt") || a.modem.waitForOutput("late-prompt", 60000));
        b.start(serverIni, options + QStringList{"Options/GatewayId=B"});
        QElapsedTimer clock;
        clock.start();
        while (s["stopA"].endsWith("sent") && a.modem.sentPdus().size() < 3 &&
               clock.elapsed() < 60000)
            QThread::msleep(10);
        if (s["stopA"] != "none") {
            ::kill(static_cast<pid_t>(a.process.processId()),
                   s["stopA"].startsWith("KILL") ? SIGKILL : SIGTERM);
            a.process.waitForFinished();
        }
        if (s["restartA"] == "1")
            a.start(serverIni, options + QStringList{"Options/GatewayId=A"});
        addRows(rows - late, rows);
        while (IdsWhere("Status<>2 OR Gateway IS NOT NULL") != "" && clock.elapsed() < 180000)
            QThread::msleep(200);
        EXPECT_EQ(IdsWhere("Status<>2 OR Gateway IS NOT NULL"), "");
        QMap<QString, int> times;
        for (const QString& pdu : a.modem.sentPdus() + b.modem.sentPdus())
            ++times[pdu];
        EXPECT_EQ(std::count_if(times.begin(), times.end(), [](int n) { return n > 1; }), 0);
        // Only a send whose outcome a kill left unknown may be taken as sent unseen.
        EXPECT_LE(rows - times.size(), a.output().count("Code: 106"));
        EXPECT_TRUE(a.output().contains(s["logA"])) << a.output().right(2000).toStdString();
        EXPECT_GE(b.modem.sentPdus().size(), s["leastByB"].toInt());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ProgramsTest,
                         ::testing::Values(Engine::SQLite, Engine::MariaDbOleDb),
                         ::testing::PrintToStringParamName());

}  // namespace
