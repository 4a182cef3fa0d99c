#include "db/ConnectionString.h"

#include "settings/Settings.h"

namespace {

// The table's rows are pieces put together with nothing between them.
QString Cat(std::initializer_list<QString> pieces) {
    QString out;
    for (const QString& p : pieces)
        out += p;
    return out;
}

QString OdbcMySql(const DbSettings& s) {
    const QString& S = s.server;
    const QString& D = s.database;
    const QString& U = s.user;
    const QString& P = s.password;
    switch (s.mySqlOdbc) {
        case 0:
            return Cat({"Driver={mySQL};Server=localhost;Option=16834;Database=", D, ";"});
        case 1:
            return Cat({"Driver={mySQL};Server=", S, ";Port=3306;Option=131072;Stmt=;Database=", D,
                        ";Uid=", U, ";Pwd=", P, ";"});
        case 2:
            return Cat({"Driver={MySQL ODBC 3.51 Driver};Server=localhost;Database=", D,
                        ";User=", U, ";Password=", P, ";Option=3;"});
        default:
            // Variant 3 has a blank before "Password=".
            return Cat({"Driver={MySQL ODBC 3.51 Driver};Server=", S, ";Port=3306;Database=", D,
                        ";User=", U, "; Password=", P, ";Option=3;"});
    }
}

}  // namespace

std::optional<QString> ConnectionString(const DbSettings& s) {
    const bool oleDb = s.driver != 0;
    const bool trusted = s.access != 0;
    const QString& S = s.server;
    const QString& D = s.database;
    const QString& U = s.user;
    const QString& P = s.password;
    switch (s.sbType) {
        case KindAccess:
            if (oleDb)
                return trusted ? Cat({"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=", D,
                                      ";User Id=admin;Password=;"})
                               : Cat({"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=", D,
                                      ";Jet OLEDB:Database Password=", P, ";"});
            return trusted ? Cat({"Driver={Microsoft Access Driver (*.mdb)};Dbq=", D,
                                  ";Uid=Admin;Pwd=;"})
                           : Cat({"Driver={Microsoft Access Driver (*.mdb)};Dbq=", D,
                                  ";Uid=Admin;Pwd=", P, ";"});
        case KindAccess2007:  // either driver
            return trusted ? Cat({"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=", D,
                                  ";Persist Security Info=False;"})
                           : Cat({"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=", D,
                                  ";Jet OLEDB:Database Password=", P, ";"});
        case KindSqlServer:
            if (oleDb)
                return trusted ? Cat({"Provider=sqloledb;Data Source=", S, ";Initial Catalog=", D,
                                      ";Integrated Security=SSPI;"})
                               : Cat({"Provider=sqloledb;Data Source=", S, ";Initial Catalog=", D,
                                      ";User Id=", U, ";Password=", P, ";"});
            // A capital "Yes" here, "yes" for SQL Server 2005.
            return trusted ? Cat({"Driver={SQL Server};Server=", S, ";Database=", D,
                                  ";Trusted_Connection=Yes;"})
                           : Cat({"Driver={SQL Server};Server=", S, ";Database=", D, ";Uid=", U,
                                  ";Pwd=", P, ";"});
        case KindSqlServer2005: {
            const QString head = oleDb ? QStringLiteral("Provider=SQLNCLI;Server=")
                                       : QStringLiteral("Driver={SQL Native Client};Server=");
            return trusted ? Cat({head, S, ";Database=", D, ";Trusted_Connection=yes;"})
                           : Cat({head, S, ";Database=", D, ";Uid=", U, ";Pwd=", P, ";"});
        }
        case KindMySql:
            if (oleDb)  // the database, not the server, after "Data Source="
                return trusted ? QString()
                               : Cat({"Provider=MySQLProv;Data Source=", D, ";User Id=", U,
                                      ";Password=", P, ";"});
            if (s.mySqlOdbc < 0 || s.mySqlOdbc > 3)
                return std::nullopt;
            return OdbcMySql(s);
        case KindFirebird:
            if (oleDb || trusted)
                return std::nullopt;
            return Cat(
                {"Driver=Firebird/InterBase(r) driver;Uid=", U, ";Pwd=", P, ";DbName=", D, ";"});
        case KindSQLite:
            return Cat({"Driver=SQLite3;Database=", D, ";"});
        default:
            return std::nullopt;
    }
}

std::optional<QString> LoggedConnectionString(const DbSettings& settings) {
    DbSettings masked = settings;
    if (!masked.password.isEmpty())
        masked.password = QStringLiteral("***");
    return ConnectionString(masked);
}

DbSettings ReadDbSettings() {
    DbSettings s;
    s.sbType = SettingNumber(Setting::ServerSbType);
    s.driver = SettingNumber(Setting::ServerDriver);
    s.access = SettingNumber(Setting::ServerAccess);
    s.mySqlOdbc = SettingNumber(Setting::ServerMySqlODBC);
    s.server = ReadSetting(Setting::ServerNameForConnect);
    s.database = ReadSetting(Setting::ServerDbNameForConnect);
    s.user = ReadSetting(Setting::ServerUser);
    s.password = ReadSetting(Setting::ServerPwd);
    return s;
}
