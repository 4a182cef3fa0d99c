// The ODBC driver names the gateway's strings use, registered with the Debian drivers, and the
// SQL Server kinds reaching FreeTDS (no SQL Server can run here: its strings and driver only).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>

#include "DbTestSupport.h"
#include "db/AdoClass.h"
#include "testsupport.h"

namespace {

TEST(OdbcTest, RegistrationScriptNamesTheDebianDrivers) {
    const QString dir = dbtest::RegisterOdbcDrivers();
    ASSERT_FALSE(dir.isEmpty());
    // Running it again replaces the entries instead of counting them twice.
    ASSERT_EQ(dbtest::RunProgram(
                  QStringLiteral("bash"),
                  {testsupport::SourceDir() + QStringLiteral("/scripts/register-odbc-drivers.sh")}),
              0);
    QSettings ini(dir + QStringLiteral("/odbcinst.ini"), QSettings::IniFormat);
    struct Case {
        const char* name;
        const char* library;
    } cases[] = {
        {"mySQL", "libmaodbc.so"},
        {"MySQL ODBC 3.51 Driver", "libmaodbc.so"},
        {"SQL Server", "libtdsodbc.so"},
        {"SQL Native Client", "libtdsodbc.so"},
    };
    for (const Case& c : cases) {
        ini.beginGroup(QString::fromUtf8(c.name));
        const QString driver = ini.value(QStringLiteral("Driver")).toString();
        EXPECT_TRUE(driver.endsWith(QString::fromUtf8(c.library))) << c.name;
        EXPECT_TRUE(QFile::exists(driver)) << driver.toStdString();
        EXPECT_EQ(ini.value(QStringLiteral("UsageCount")).toString(), QStringLiteral("1"));
        ini.endGroup();
    }
}

TEST(OdbcTest, SqlServerKindsReachFreeTds) {
    ASSERT_FALSE(dbtest::RegisterOdbcDrivers().isEmpty());
    struct Case {
        const char *sbType, *driver, *access;
    } cases[] = {
        {"2", "0", "0"}, {"2", "0", "1"}, {"2", "1", "0"}, {"3", "0", "0"}, {"3", "1", "1"}};
    for (const Case& c : cases) {
        dbtest::TestSettings settings;
        settings.server(QStringLiteral("SbType"), QString::fromUtf8(c.sbType));
        settings.server(QStringLiteral("Driver"), QString::fromUtf8(c.driver));
        settings.server(QStringLiteral("Access"), QString::fromUtf8(c.access));
        // No SQL Server listens on this loopback address: FreeTDS is refused at once.
        settings.server(QStringLiteral("ServerName"), QStringLiteral("127.0.0.3"));
        settings.server(QStringLiteral("DbName"), QStringLiteral("sms"));
        settings.server(QStringLiteral("User"), QStringLiteral("sa"));
        settings.server(QStringLiteral("Pwd"), QStringLiteral("secret"));
        AdoClass ado;
        QStringList log;
        ado.onLogLine = [&log](const QString& line) { log << line; };
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(ado.CheckSend().has_value());
        EXPECT_LT(timer.elapsed(), 10000);
        ASSERT_EQ(log.size(), 2);
        // The driver was found and loaded; it is the server that is missing.
        EXPECT_TRUE(log[0].contains(QStringLiteral("FreeTDS"))) << log[0].toStdString();
        EXPECT_FALSE(log[0].contains(QStringLiteral("not found"))) << log[0].toStdString();
        EXPECT_FALSE(log[1].contains(QStringLiteral("secret")));
    }
}

}  // namespace
