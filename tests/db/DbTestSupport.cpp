#include "DbTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>

#include "db/ConnectionString.h"
#include "db/DriverTarget.h"
#include "settings/Ini.h"
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
    return testsupport::SourceDir() + QStringLiteral("/sql/") + QString::fromUtf8(file);
}

bool Succeeds(const QString& program, const QStringList& arguments, const QString& stdinFile,
              QString* error) {
    QString output;
    const int code = RunProgram(program, arguments, stdinFile, &output);
    if (code == 0)
        return true;
    *error = program + QStringLiteral(" failed (") + QString::number(code) + QStringLiteral("): ") +
             output;
    return false;
}

QStringList MariaDbRoot() {
    return {QStringLiteral("--no-defaults"),
            QStringLiteral("--socket=") + Env("PELORUS_MARIADB_SOCKET"), QStringLiteral("-u"),
            QStringLiteral("root")};
}

bool IsMariaDb(Engine e) {
    return e != Engine::SQLite && e != Engine::Firebird;
}

int OdbcVariant(Engine e) {
    switch (e) {
        case Engine::MariaDbOdbc0:
            return 0;
        case Engine::MariaDbOdbc1:
            return 1;
        case Engine::MariaDbOdbc2:
            return 2;
        case Engine::MariaDbOdbc3:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

int RunProgram(const QString& program, const QStringList& arguments, const QString& stdinFile,
               QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!stdinFile.isEmpty())
        process.setStandardInputFile(stdinFile);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return -1;
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
    static bool registered = false;
    if (registered)
        return dir.path();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ODBCSYSINI"), dir.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("bash"),
                  {testsupport::SourceDir() + QStringLiteral("/scripts/register-odbc-drivers.sh")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
    registered = true;
    return dir.path();
}

TestSettings::TestSettings() : savedIniFileName_(INIFileName) {
    INIFileName = path();
}

TestSettings::~TestSettings() {
    INIFileName = savedIniFileName_;
}

QString TestSettings::path() const {
    return dir_.filePath(QStringLiteral("Pelorus.ini"));
}

void TestSettings::set(const QString& section, const QString& key, const QString& value) {
    WriteINI(path(), section, key, value);
}

QString SkipReason(Engine engine) {
    if (IsMariaDb(engine) && Env("PELORUS_MARIADB_SOCKET").isEmpty())
        return QStringLiteral(
            "PELORUS_MARIADB_SOCKET is not set (scripts/test.d/start-mariadb.sh)");
    if (OdbcVariant(engine) >= 0 && Env("PELORUS_MARIADB_ODBC_PORT").isEmpty())
        return QStringLiteral(
            "PELORUS_MARIADB_ODBC_PORT is not set: the test server could not "
            "listen on 3306, where the MySQL ODBC strings connect");
    if (engine == Engine::Firebird && Env("PELORUS_FIREBIRD_DIR").isEmpty())
        return QStringLiteral("PELORUS_FIREBIRD_DIR is not set (scripts/test.d/start-firebird.sh)");
    return QString();
}

bool EngineDatabase::create(TestSettings& settings, QString* error) {
    const QString suffix = UniqueSuffix();
    if (engine_ == Engine::SQLite) {
        // A path relative to the settings file's folder.
        QDir(settings.folder()).mkpath(QStringLiteral("data"));
        name_ = settings.folder() + QStringLiteral("/data/gw.db");
        settings.server(QStringLiteral("SbType"), QStringLiteral("6"));
        settings.server(QStringLiteral("DbName"), QStringLiteral("data/gw.db"));
        return Succeeds(QStringLiteral("sqlite3"), {name_}, Schema("sqlite.sql"), error);
    }
    if (engine_ == Engine::Firebird) {
        const QString dir = Env("PELORUS_FIREBIRD_DIR");
        if (Env("FIREBIRD_LOCK").isEmpty())
            qputenv("FIREBIRD_LOCK", (dir + QStringLiteral("/lock")).toLocal8Bit());
        QDir().mkpath(dir);
        name_ = dir + QStringLiteral("/gw_") + suffix + QStringLiteral(".fdb");
        QFile::remove(name_);
        const QString create = settings.folder() + QStringLiteral("/create.sql");
        QFile f(create);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PASSWORD 'masterkey' DEFAULT "
                               "CHARACTER SET UTF8;\n")
                    .arg(name_)
                    .toUtf8());
        f.close();
        settings.server(QStringLiteral("SbType"), QStringLiteral("5"));
        settings.server(QStringLiteral("Driver"), QStringLiteral("0"));
        settings.server(QStringLiteral("Access"), QStringLiteral("0"));
        settings.server(QStringLiteral("User"), QStringLiteral("SYSDBA"));
        settings.server(QStringLiteral("Pwd"), QStringLiteral("masterkey"));
        settings.server(QStringLiteral("DbName"), name_);
        return Succeeds(QStringLiteral("isql-fb"), {QStringLiteral("-q")}, create, error) &&
               Succeeds(QStringLiteral("isql-fb"),
                        {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                         QStringLiteral("-password"), QStringLiteral("masterkey"),
                         QStringLiteral("-i"), Schema("firebird.sql"), name_},
                        QString(), error);
    }
    // MariaDB: the native client addresses "localhost", which it finds through the socket; the
    // ODBC driver connects to localhost:3306 by TCP.
    qputenv("MYSQL_UNIX_PORT", Env("PELORUS_MARIADB_SOCKET").toLocal8Bit());
    if (RegisterOdbcDrivers().isEmpty()) {
        *error = QStringLiteral("scripts/register-odbc-drivers.sh failed");
        return false;
    }
    name_ = QStringLiteral("pelorus_t") + suffix;
    if (!Succeeds(
            QStringLiteral("mariadb"),
            MariaDbRoot() << QStringLiteral("-e")
                          << QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4").arg(name_),
            QString(), error) ||
        !Succeeds(QStringLiteral("mariadb"), MariaDbRoot() << name_, Schema("mariadb.sql"), error))
        return false;
    const int variant = OdbcVariant(engine_);
    settings.server(QStringLiteral("SbType"), QStringLiteral("4"));
    settings.server(QStringLiteral("Driver"),
                    variant < 0 ? QStringLiteral("1") : QStringLiteral("0"));
    settings.server(QStringLiteral("Access"), QStringLiteral("0"));
    settings.server(QStringLiteral("MySqlODBC"), QString::number(qMax(variant, 0)));
    settings.server(QStringLiteral("ServerName"), QStringLiteral("localhost"));
    settings.server(QStringLiteral("DbName"), name_);
    settings.server(QStringLiteral("User"), Env("PELORUS_MARIADB_USER"));
    settings.server(QStringLiteral("Pwd"), Env("PELORUS_MARIADB_PASSWORD"));
    return true;
}

void EngineDatabase::makeUnreachable(TestSettings& settings) {
    switch (engine_) {
        case Engine::SQLite:
            settings.server(QStringLiteral("DbName"), QStringLiteral("no-such-folder/gw.db"));
            break;
        case Engine::Firebird:
            // A Firebird server on a port where nobody listens.
            settings.server(QStringLiteral("DbName"), QStringLiteral("127.0.0.1/1:/srv/gw.fdb"));
            break;
        case Engine::MariaDbOleDb:
            // The client library reads its socket's name once per process: a refused login instead.
            settings.server(QStringLiteral("Pwd"), QStringLiteral("not-the-password"));
            break;
        case Engine::MariaDbOdbc1:
        case Engine::MariaDbOdbc3:
            // A loopback address where nothing listens.
            settings.server(QStringLiteral("ServerName"), QStringLiteral("127.0.0.2"));
            break;
        default:
            // The variants that always address localhost:3306 reach the server; a database that
            // does not exist keeps them from connecting all the same.
            settings.server(QStringLiteral("DbName"), QStringLiteral("pelorus_no_such_database"));
            break;
    }
}

QSqlDatabase EngineDatabase::verifier() {
    if (!verifierName_.isEmpty())
        return QSqlDatabase::database(verifierName_);
    verifierName_ = QStringLiteral("verifier-") + UniqueSuffix();
    const DriverTarget target =
        TargetForConnectionString(ConnectionString(ReadDbSettings()).value_or(QString()),
                                  QFileInfo(INIFileName).absolutePath());
    QSqlDatabase db = AddTargetConnection(target, verifierName_);
    db.open();
    return db;
}

EngineDatabase::~EngineDatabase() {
    if (!verifierName_.isEmpty()) {
        QSqlDatabase::database(verifierName_, false).close();
        QSqlDatabase::removeDatabase(verifierName_);
    }
    if (name_.isEmpty())
        return;
    if (engine_ == Engine::Firebird)
        QFile::remove(name_);
    else if (IsMariaDb(engine_))
        RunProgram(QStringLiteral("mariadb"),
                   MariaDbRoot() << QStringLiteral("-e")
                                 << QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name_));
}

}  // namespace dbtest
