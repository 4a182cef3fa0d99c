#include "DbTestSupport.h"

#include <sys/file.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>

#include "db/ConnectionString.h"
#include "db/DriverTarget.h"
#include "testsupport.h"

namespace dbtest {

namespace {

QString Env(const char* name) {
    return qEnvironmentVariable(name);
}

QString UniqueSuffix() {
    static int counter = 0;
    return QStringLiteral("%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QString Schema(const char* file) {
    return testsupport::SourceDir() + "/sql/" + file;
}

bool Succeeds(const QString& program, const QStringList& arguments, QString* error) {
    const int code = RunProgram(program, arguments, error);
    if (code != 0)
        error->prepend(program + " failed (" + QString::number(code) + "): ");
    return code == 0;
}

// The tests' MariaDB server as its administrator, running the statements given.
bool MariaDbRoot(const QString& statements, QString* error) {
    return Succeeds("mariadb",
                    {"--no-defaults", "--socket=" + Env("PELORUS_MARIADB_SOCKET"), "-u", "root",
                     "-e", statements},
                    error);
}

bool IsMariaDb(Engine e) {
    return e != Engine::SQLite && e != Engine::Firebird;
}

int OdbcVariant(Engine e) {
    const int variant = static_cast<int>(e) - static_cast<int>(Engine::MariaDbOdbc0);
    return variant >= 0 && variant <= 3 ? variant : -1;
}

// The environment each engine needs (scripts/test.d/start-*.sh): the MySQL ODBC strings connect
// to port 3306, where the test server may not have been able to listen.
QStringList Needs(Engine e) {
    if (e == Engine::SQLite)
        return {};
    if (e == Engine::Firebird)
        return {"PELORUS_FIREBIRD_DIR"};
    return OdbcVariant(e) < 0 ? QStringList{"PELORUS_MARIADB_SOCKET"}
                              : QStringList{"PELORUS_MARIADB_SOCKET", "PELORUS_MARIADB_ODBC_PORT"};
}

}  // namespace

void PrintTo(Engine engine, std::ostream* os) {
    const char* const names[] = {"SQLite",       "MariaDbOleDb", "MariaDbOdbc0", "MariaDbOdbc1",
                                 "MariaDbOdbc2", "MariaDbOdbc3", "Firebird"};
    *os << names[static_cast<int>(engine)];
}

int RunProgram(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString RegisterOdbcDrivers() {
    static QTemporaryDir dir;
    static const bool registered = [] {
        qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
        return RunProgram("bash",
                          {testsupport::SourceDir() + "/scripts/register-odbc-drivers.sh"}) == 0;
    }();
    return registered ? dir.path() : QString();
}

bool EngineDatabase::create(TestSettings& settings, QString* error) {
    const QString suffix = UniqueSuffix();
    if (engine_ == Engine::SQLite) {
        // A path relative to the settings file's folder.
        name_ = settings.folder() + "/data/gw.db";
        QDir().mkpath(settings.folder() + "/data");
        settings.server({"SbType", "6", "DbName", "data/gw.db"});
        return Succeeds("sqlite3", {name_, ".read " + Schema("sqlite.sql")}, error);
    }
    if (engine_ == Engine::Firebird) {
        const QString dir = Env("PELORUS_FIREBIRD_DIR");
        if (Env("FIREBIRD_LOCK").isEmpty())
            qputenv("FIREBIRD_LOCK", (dir + "/lock").toLocal8Bit());
        name_ = dir + "/gw_" + suffix + ".fdb";
        QFile::remove(name_);
        // isql stays connected to the database it creates and makes the tables there.
        const QString script = settings.folder() + "/create.sql";
        testsupport::WriteBytes(script, "CREATE DATABASE '" + name_.toUtf8() +
                                            "' USER 'SYSDBA' PASSWORD 'masterkey' DEFAULT "
                                            "CHARACTER SET UTF8;\n" +
                                            testsupport::ReadBytes(Schema("firebird.sql")));
        settings.server({"SbType", "5", "Driver", "0", "Access", "0", "User", "SYSDBA", "Pwd",
                         "masterkey", "DbName", name_});
        return Succeeds("isql-fb", {"-q", "-i", script}, error);
    }
    // MariaDB: the native client addresses "localhost", which it finds through the socket; the
    // ODBC driver connects to localhost:3306 by TCP.
    qputenv("MYSQL_UNIX_PORT", Env("PELORUS_MARIADB_SOCKET").toLocal8Bit());
    serverLock_.setFileName(QFileInfo(Env("PELORUS_MARIADB_SOCKET")).path() + "/tests.lock");
    serverLock_.open(QIODevice::ReadWrite);
    flock(serverLock_.handle(), LOCK_SH);
    if (RegisterOdbcDrivers().isEmpty()) {
        *error = "scripts/register-odbc-drivers.sh failed";
        return false;
    }
    name_ = "pelorus_t" + suffix;
    const int variant = OdbcVariant(engine_);
    settings.server({"SbType", "4", "Driver", variant < 0 ? "1" : "0", "Access", "0", "MySqlODBC",
                     QString::number(qMax(variant, 0)), "ServerName", "localhost", "DbName", name_,
                     "User", Env("PELORUS_MARIADB_USER"), "Pwd", Env("PELORUS_MARIADB_PASSWORD")});
    return MariaDbRoot(
        QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4;\nUSE %1;\nsource %2\n")
            .arg(name_, Schema("mariadb.sql")),
        error);
}

void EngineDatabase::makeUnreachable(TestSettings& settings) {
    // The MariaDB client library reads its socket's name once per process: a refused login
    // instead. The ODBC variants that always address localhost:3306 reach the server; a database
    // that does not exist keeps them from connecting all the same.
    const QMap<Engine, QStringList> unreachable = {
        {Engine::SQLite, {"DbName", "no-such-folder/gw.db"}},
        {Engine::Firebird, {"DbName", "127.0.0.1/1:/srv/gw.fdb"}},  // a port where nobody listens
        {Engine::MariaDbOleDb, {"Pwd", "not-the-password"}},
        {Engine::MariaDbOdbc1, {"ServerName", "127.0.0.2"}},  // a loopback address, nobody there
        {Engine::MariaDbOdbc3, {"ServerName", "127.0.0.2"}},
    };
    settings.server(unreachable.value(engine_, {"DbName", "pelorus_no_such_database"}));
}

QSqlDatabase EngineDatabase::verifier() {
    if (!verifierName_.isEmpty())
        return QSqlDatabase::database(verifierName_);
    verifierName_ = QStringLiteral("verifier-") + UniqueSuffix();
    QSqlDatabase db = AddTargetConnection(
        TargetForConnectionString(ConnectionString(ReadDbSettings()).value_or(QString()),
                                  QFileInfo(INIFileName).absolutePath()),
        verifierName_);
    db.open();
    return db;
}

EngineDatabase::~EngineDatabase() {
    if (!verifierName_.isEmpty()) {
        QSqlDatabase::database(verifierName_, false).close();
        QSqlDatabase::removeDatabase(verifierName_);
    }
    QString ignored;
    if (engine_ == Engine::Firebird)
        QFile::remove(name_);
    else if (IsMariaDb(engine_) && !name_.isEmpty())
        MariaDbRoot("DROP DATABASE IF EXISTS " + name_, &ignored);
}

void GatewayFixture::Open(Engine engine) {
    for (const QString& variable : Needs(engine))
        if (Env(variable.toLatin1()).isEmpty())
            GTEST_SKIP() << variable.toStdString() << " is not set (scripts/test.d/start-*.sh)";
    database = std::make_unique<EngineDatabase>(engine);
    QString error;
    ASSERT_TRUE(database->create(settings, &error)) << error.toStdString();
    ado = MakeAdo();
}

std::unique_ptr<AdoClass> GatewayFixture::MakeAdo() {
    auto made = std::make_unique<AdoClass>(&lamps, clock);
    made->setTableSend(QStringLiteral("Send"));
    made->setTableReceive(QStringLiteral("Receive"));
    made->onLogLine = [this](const QString& line) { log << line; };
    return made;
}

QSqlQuery GatewayFixture::Query(const QString& sql) {
    QSqlQuery q(database->verifier());
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString() << sql.toStdString();
    return q;
}

QStringList GatewayFixture::Column(const QString& sql) {
    QSqlQuery q = Query(sql);
    QStringList values;
    while (q.next())
        values << q.value(0).toString();
    return values;
}

}  // namespace dbtest
