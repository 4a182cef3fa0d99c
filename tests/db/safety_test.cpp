// The database on an operator's worst day: a misspelt file name, a file another program holds
// locked, a server that stops answering, a connection the server dropped.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QThread>

#include "DbTestSupport.h"
#include "db/Schemas.h"
#include "testsupport.h"

using dbtest::Engine;

namespace {

// The bounds plus what a loaded machine adds.
constexpr qint64 kConnectBoundMs = 10000 + 1500;
constexpr qint64 kStatementBoundMs = 15000 + 1500;

class SafetyTest : public dbtest::GatewayFixture {};

TEST_F(SafetyTest, MisspeltSqliteFileIsNotCreatedAndNamedInTheLog) {
    Open(Engine::SQLite);
    settings.server({"DbName", "data/gw-typo.db"});
    const QString path = settings.folder() + "/data/gw-typo.db";
    EXPECT_FALSE(ado->CheckSend().has_value());
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(log.size(), 2) << LogText();
    EXPECT_TRUE(log[0].contains(path + " does not exist")) << LogText();
}

TEST_F(SafetyTest, LockedSqliteFileStallsAfterOneFailure) {
    Open(Engine::SQLite);
    QSqlQuery holder(database->verifier());
    ASSERT_TRUE(holder.exec("BEGIN EXCLUSIVE"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ado->WriteToTable("Send", "1", "waits"));
    EXPECT_LT(timer.elapsed(), kStatementBoundMs);
    EXPECT_TRUE(ado->Stalled()) << LogText();
    ASSERT_TRUE(holder.exec("COMMIT"));
    EXPECT_TRUE(ado->WriteToTable("Send", "1", "goes"));
    EXPECT_FALSE(ado->Stalled());
}

TEST_F(SafetyTest, DroppedConnectionKeepsTheDriversLastText) {
    Open(Engine::MariaDbOdbc1);
    ASSERT_TRUE(ado->Connect());
    QString error;
    ASSERT_TRUE(database->dropConnections(&error)) << error.toStdString();
    EXPECT_FALSE(ado->UpdateSend("1", 2));
    EXPECT_FALSE(ado->UpdateSend("1", 3));  // the driver has nothing more to say
    ASSERT_EQ(log.size(), 4) << LogText();
    EXPECT_TRUE(log[2].contains("Lost connection")) << LogText();
    EXPECT_FALSE(log[2].contains("Code: 0;")) << LogText();
}

// The tests' MariaDB server, stopped with SIGSTOP for the test's lifetime and then resumed.
class StoppedServer {
public:
    explicit StoppedServer(const QString& socket) {
        pid_ = QString::fromUtf8(
                   testsupport::ReadBytes(QFileInfo(socket).absolutePath() + "/mariadbd.pid"))
                   .trimmed()
                   .toInt();
        if (pid_ <= 0 || kill(pid_, SIGSTOP) != 0)
            return;
        // Stopping takes effect when each thread is scheduled next.
        const QString stat = QStringLiteral("/proc/%1/stat").arg(pid_);
        for (int i = 0; i < 100 && !testsupport::ReadBytes(stat).contains(") T "); ++i)
            QThread::msleep(10);
    }
    ~StoppedServer() {
        if (pid_ > 0)
            kill(pid_, SIGCONT);
    }
    bool stopped() const { return pid_ > 0; }

private:
    int pid_ = 0;
};

TEST_F(SafetyTest, StoppedMariaDbServerHoldsNoCallBeyondItsBound) {
    const int alone = dbtest::LockMariaDbServer(true);  // the other tests wait meanwhile
    Open(Engine::MariaDbOdbc1);
    ASSERT_TRUE(ado->Connect());
    {
        StoppedServer server(qEnvironmentVariable("PELORUS_MARIADB_SOCKET"));
        ASSERT_TRUE(server.stopped());
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(ado->UpdateSend("1", 2));
        const qint64 statementMs = timer.restart();
        EXPECT_TRUE(ado->Stalled()) << LogText();
        auto fresh = MakeAdo();
        EXPECT_FALSE(fresh->Connect());
        const qint64 connectMs = timer.elapsed();
        EXPECT_TRUE(fresh->Stalled()) << LogText();
        EXPECT_LT(statementMs, kStatementBoundMs);
        EXPECT_LT(connectMs, kConnectBoundMs);
        RecordProperty("statement_ms", static_cast<int>(statementMs));
        RecordProperty("connect_ms", static_cast<int>(connectMs));
    }
    ado = MakeAdo();
    EXPECT_TRUE(ado->Connect()) << LogText();  // resumed
    ::close(alone);
}

TEST(SchemaTest, EveryKindsReceiveTableHasAPrimaryKey) {
    for (int sbType : {2, 3, 4, 5, 6}) {
        const QStringList statements =
            SchemaStatements(BuiltInSchema(SchemaFile(sbType)), "Outbox", "Inbox");
        const QStringList inbox = statements.filter("Inbox (");
        ASSERT_EQ(inbox.size(), 1) << sbType << statements.join("\n").toStdString();
        EXPECT_TRUE(inbox[0].contains("PRIMARY KEY")) << sbType;
        EXPECT_FALSE(statements.join("").contains("Receive")) << sbType;
        EXPECT_FALSE(statements.join("").contains("Send")) << sbType;
    }
}

}  // namespace
