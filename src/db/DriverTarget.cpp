#include "db/DriverTarget.h"

#include <QDir>
#include <QUrl>

namespace {

DriverTarget NoDriver(const QString& why) {
    DriverTarget t;
    t.error = why;
    return t;
}

QString AccessMissing() {
    return QStringLiteral(
        "Access databases (Jet, ACE, the Access ODBC driver) have no driver on this platform; "
        "choose SQLite, MySQL, Firebird or SQL Server");
}

QString OdbcOptions() {
    return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
        .arg(kConnectTimeoutSecs)
        .arg(kStatementTimeoutSecs);
}

bool IsMySqlDriverName(const QString& name) {
    return name.startsWith(QStringLiteral("mySQL"), Qt::CaseInsensitive) ||
           name.startsWith(QStringLiteral("MariaDB"), Qt::CaseInsensitive);
}

bool IsSqlServerDriverName(const QString& name) {
    return name.contains(QStringLiteral("SQL Server"), Qt::CaseInsensitive) ||
           name.contains(QStringLiteral("SQL Native Client"), Qt::CaseInsensitive) ||
           name.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive);
}

// FreeTDS reads no port from "Server" and logs "invalid port number": the server field becomes
// Server and Port, and the protocol version is named.
QString FreeTdsString(const QString& odbcString) {
    QStringList pieces;
    for (const auto& [key, value] : ConnectionStringPairs(odbcString)) {
        if (key.compare(QStringLiteral("server"), Qt::CaseInsensitive) == 0) {
            const SqlServerAddress address = SplitSqlServerAddress(value);
            pieces << key + QLatin1Char('=') + address.host;
            if (address.port > 0)
                pieces << QStringLiteral("Port=%1").arg(address.port);
        } else {
            const bool braced = value.contains(QLatin1Char(';')) ||
                                key.compare(QStringLiteral("driver"), Qt::CaseInsensitive) == 0;
            pieces << key + QLatin1Char('=') +
                          (braced ? QLatin1Char('{') + value + QLatin1Char('}') : value);
        }
    }
    pieces << QStringLiteral("TDS_Version=") + QLatin1String(kTdsVersion);
    return pieces.join(QLatin1Char(';'));
}

// Connector/ODBC ignores the ODBC time-out attributes and reads its own from the string.
QString MariaDbTimeouts() {
    return QStringLiteral(";CONN_TIMEOUT=%1;READ_TIMEOUT=%2;WRITE_TIMEOUT=%2")
        .arg(kConnectTimeoutSecs)
        .arg(kStatementTimeoutSecs);
}

DriverTarget OdbcTarget(const QString& odbcString) {
    DriverTarget t;
    t.driver = QStringLiteral("QODBC");
    const QString driverName = ConnectionStringFields(odbcString).value(QStringLiteral("driver"));
    QString normalised = odbcString.trimmed();
    while (normalised.endsWith(QLatin1Char(';')))
        normalised.chop(1);
    if (IsSqlServerDriverName(driverName)) {
        t.values = DriverTarget::Values::UnicodeLiterals;
        normalised = FreeTdsString(normalised);
    } else {
        t.values = DriverTarget::Values::StandardLiterals;
        // A backslash in a MySQL literal is an escape unless the session says otherwise.
        if (IsMySqlDriverName(driverName)) {
            t.initStatements << QStringLiteral(
                "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')");
            normalised += MariaDbTimeouts();
        }
    }
    t.databaseName = normalised;
    t.connectOptions = OdbcOptions();
    return t;
}

// The OLE DB providers of SQL Server, served by FreeTDS through ODBC.
DriverTarget SqlServerProviderTarget(const QMap<QString, QString>& f) {
    const QString server =
        f.value(QStringLiteral("data source"), f.value(QStringLiteral("server")));
    const QString database =
        f.value(QStringLiteral("initial catalog"), f.value(QStringLiteral("database")));
    QString odbc = QStringLiteral("Driver={SQL Server};Server=") + server +
                   QStringLiteral(";Database=") + database;
    const bool trusted = f.value(QStringLiteral("integrated security"))
                                 .compare(QStringLiteral("SSPI"), Qt::CaseInsensitive) == 0 ||
                         f.value(QStringLiteral("trusted_connection"))
                                 .compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0;
    if (trusted) {
        odbc += QStringLiteral(";Trusted_Connection=Yes");
    } else {
        odbc += QStringLiteral(";Uid=") +
                f.value(QStringLiteral("user id"), f.value(QStringLiteral("uid"))) +
                QStringLiteral(";Pwd=") +
                f.value(QStringLiteral("password"), f.value(QStringLiteral("pwd")));
    }
    return OdbcTarget(odbc);
}

}  // namespace

QList<std::pair<QString, QString>> ConnectionStringPairs(const QString& connectionString) {
    QList<std::pair<QString, QString>> pairs;
    int pos = 0;
    const int n = connectionString.size();
    while (pos < n) {
        const int eq = connectionString.indexOf(QLatin1Char('='), pos);
        if (eq < 0)
            break;
        const QString key = connectionString.mid(pos, eq - pos).trimmed();
        int end;
        QString value;
        if (eq + 1 < n && connectionString.at(eq + 1) == QLatin1Char('{')) {
            const int close = connectionString.indexOf(QLatin1Char('}'), eq + 2);
            end = close < 0 ? n : close + 1;
            value = connectionString.mid(eq + 2, (close < 0 ? n : close) - eq - 2);
            const int semi = connectionString.indexOf(QLatin1Char(';'), end);
            end = semi < 0 ? n : semi;
        } else {
            const int semi = connectionString.indexOf(QLatin1Char(';'), eq + 1);
            end = semi < 0 ? n : semi;
            value = connectionString.mid(eq + 1, end - eq - 1);
        }
        if (!key.isEmpty())
            pairs.append({key, value});
        pos = end + 1;
    }
    return pairs;
}

QMap<QString, QString> ConnectionStringFields(const QString& connectionString) {
    QMap<QString, QString> fields;
    for (const auto& [key, value] : ConnectionStringPairs(connectionString)) {
        if (!fields.contains(key.toLower()))
            fields.insert(key.toLower(), value);
    }
    return fields;
}

SqlServerAddress SplitSqlServerAddress(const QString& server) {
    const QString trimmed = server.trimmed();
    // The last separator: "host,port" as SQL Server's own tools write it, or "host:port".
    const int at =
        qMax(trimmed.lastIndexOf(QLatin1Char(',')), trimmed.lastIndexOf(QLatin1Char(':')));
    if (at > 0) {
        bool isNumber = false;
        const int port = trimmed.mid(at + 1).trimmed().toInt(&isNumber);
        if (isNumber && port > 0 && port < 65536)
            return {trimmed.left(at).trimmed(), port};
    }
    return {trimmed, trimmed.contains(QLatin1Char('\\')) ? 0 : kSqlServerDefaultPort};
}

DriverTarget TargetForConnectionString(const QString& connectionString, const QString& baseFolder) {
    if (connectionString.trimmed().isEmpty())
        return NoDriver(QStringLiteral("The connection string is empty"));
    const QMap<QString, QString> f = ConnectionStringFields(connectionString);

    if (f.contains(QStringLiteral("driver"))) {
        const QString driver = f.value(QStringLiteral("driver"));
        if (driver.compare(QStringLiteral("SQLite3"), Qt::CaseInsensitive) == 0) {
            DriverTarget t;
            t.driver = QStringLiteral("QSQLITE");
            const QString file = f.value(QStringLiteral("database"));
            if (file.isEmpty())
                return NoDriver(QStringLiteral("The SQLite database file is not named"));
            t.databaseName = QDir::cleanPath(QDir(baseFolder).absoluteFilePath(file));
            // Milliseconds a statement waits for a lock held by another program; the name is
            // opened as a URI so that a missing file is not created (SqliteUri).
            t.connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI")
                                   .arg(kStatementTimeoutSecs * 1000);
            return t;
        }
        if (driver.startsWith(QStringLiteral("Firebird/InterBase"), Qt::CaseInsensitive)) {
            DriverTarget t;
            t.driver = QStringLiteral("QIBASE");
            // A path, host:path or an alias of the server's databases.conf, as given.
            t.databaseName = f.value(QStringLiteral("dbname"));
            t.userName = f.value(QStringLiteral("uid"));
            t.password = f.value(QStringLiteral("pwd"));
            return t;
        }
        if (driver.startsWith(QStringLiteral("Microsoft Access Driver"), Qt::CaseInsensitive))
            return NoDriver(AccessMissing());
        return OdbcTarget(connectionString);
    }

    const QString provider = f.value(QStringLiteral("provider"));
    if (provider.compare(QStringLiteral("MySQLProv"), Qt::CaseInsensitive) == 0) {
        DriverTarget t;
        t.driver = QStringLiteral("QMYSQL");
        t.hostName = QStringLiteral("localhost");
        t.databaseName = f.value(QStringLiteral("data source"));
        t.userName = f.value(QStringLiteral("user id"));
        t.password = f.value(QStringLiteral("password"));
        t.connectOptions = QStringLiteral(
                               "MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=%2;"
                               "MYSQL_OPT_WRITE_TIMEOUT=%2")
                               .arg(kConnectTimeoutSecs)
                               .arg(kStatementTimeoutSecs);
        return t;
    }
    if (provider.compare(QStringLiteral("sqloledb"), Qt::CaseInsensitive) == 0 ||
        provider.compare(QStringLiteral("SQLNCLI"), Qt::CaseInsensitive) == 0)
        return SqlServerProviderTarget(f);
    if (provider.startsWith(QStringLiteral("Microsoft.Jet"), Qt::CaseInsensitive) ||
        provider.startsWith(QStringLiteral("Microsoft.ACE"), Qt::CaseInsensitive))
        return NoDriver(AccessMissing());
    return NoDriver(QStringLiteral("No driver on this platform serves the connection string"));
}

QString SqliteUri(const QString& file, bool create) {
    QUrl uri = QUrl::fromLocalFile(file);
    uri.setQuery(create ? QStringLiteral("mode=rwc") : QStringLiteral("mode=rw"));
    return uri.toString(QUrl::FullyEncoded);
}

QSqlDatabase AddTargetConnection(const DriverTarget& target, const QString& connectionName) {
    QSqlDatabase db = QSqlDatabase::addDatabase(target.driver, connectionName);
    db.setDatabaseName(target.driver == QLatin1String("QSQLITE")
                           ? SqliteUri(target.databaseName, target.createFile)
                           : target.databaseName);
    db.setHostName(target.hostName);
    db.setUserName(target.userName);
    db.setPassword(target.password);
    db.setConnectOptions(target.connectOptions);
    return db;
}
