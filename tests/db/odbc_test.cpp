// The ODBC driver names the gateway's strings use, registered with the Debian drivers, and the
// SQL Server kinds reaching FreeTDS (no SQL Server can run here: its strings and driver only).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>

#include "DbTestSupport.h"
#include "testsupport.h"

namespace {

TEST(OdbcTest, RegistrationScriptNamesTheDebianDrivers) {
    const QString dir = dbtest::RegisterOdbcDrivers();
    ASSERT_FALSE(dir.isEmpty());
    // Running it again replaces the entries instead of counting them twice.
    ASSERT_EQ(dbtest::RunProgram("bash",
                                 {testsupport::SourceDir() + "/scripts/register-odbc-drivers.sh"}),
              0);
    QSettings ini(dir + "/odbcinst.ini", QSettings::IniFormat);
    const std::pair<const char*, const char*> drivers[] = {
        {"mySQL", "libmaodbc.so"},
        {"MySQL ODBC 3.51 Driver", "libmaodbc.so"},
        {"SQL Server", "libtdsodbc.so"},
        {"SQL Native Client", "libtdsodbc.so"},
    };
    for (const auto& [name, library] : drivers) {
        ini.beginGroup(name);
        const QString driver = ini.value("Driver").toString();
        EXPECT_TRUE(driver.endsWith(library)) << name;
        EXPECT_TRUE(QFile::exists(driver)) << driver.toStdString();
        EXPECT_EQ(ini.value("UsageCount").toString(), "1");
        ini.endGroup();
    }
}

TEST(OdbcTest, SqlServerKindsReachFreeTds) {
    ASSERT_FALSE(dbtest::RegisterOdbcDrivers().isEmpty());
    const char* const kinds[][3] = {
        {"2", "0", "0"}, {"2", "0", "1"}, {"2", "1", "0"}, {"3", "0", "0"}, {"3", "1", "1"}};
    for (const auto& [sbType, driver, access] : kinds) {
        dbtest::TestSettings settings;
        // No SQL Server listens on this loopback address: FreeTDS is refused at once.
        settings.server({"SbType", sbType, "Driver", driver, "Access", access, "ServerName",
                         "127.0.0.3", "DbName", "sms", "User", "sa", "Pwd", "secret"});
        AdoClass ado;
        QStringList log;
        ado.onLogLine = [&log](const QString& line) { log << line; };
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(ado.CheckSend().has_value());
        EXPECT_LT(timer.elapsed(), 10000);
        ASSERT_EQ(log.size(), 2);
        // The driver was found and loaded; it is the server that is missing.
        EXPECT_TRUE(log[0].contains("FreeTDS")) << log[0].toStdString();
        EXPECT_FALSE(log[0].contains("not found")) << log[0].toStdString();
        EXPECT_FALSE(log[1].contains("secret"));
    }
}

TEST(OdbcTest, SqlServerConnectReachesItsPortWithinTheBound) {
    ASSERT_FALSE(dbtest::RegisterOdbcDrivers().isEmpty());
    // A listener on 127.0.0.1 that never answers, on a port the kernel picks.
    const int silent = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    bind(silent, reinterpret_cast<sockaddr*>(&address), length);
    ASSERT_EQ(listen(silent, 4), 0);
    getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    dbtest::TestSettings settings;
    settings.server({"SbType", "2", "ServerName",
                     "127.0.0.1:" + QString::number(ntohs(address.sin_port)), "DbName", "sms"});
    AdoClass ado;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ado.Connect());
    EXPECT_LT(timer.elapsed(), 11500);
    EXPECT_GE(accept(silent, nullptr, nullptr), 0);  // FreeTDS came to this port
}

}  // namespace
