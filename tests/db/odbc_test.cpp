// The SQL Server kinds reaching FreeTDS under the driver names the gateway's strings use (no SQL
// Server can run here: its strings and driver only). The MariaDB names serve the engine tests.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <QElapsedTimer>
#include <QSettings>

#include "DbTestSupport.h"
#include "testsupport.h"

namespace {

// The driver is found and loaded; it is the server that is missing: nothing listens on one
// loopback address (FreeTDS is refused at once), and a listener that never answers holds the
// connect no longer than its bound.
TEST(OdbcTest, SqlServerKindsReachFreeTdsWithinTheBound) {
    const QString dir = dbtest::RegisterOdbcDrivers();
    ASSERT_FALSE(dir.isEmpty());
    // Registering again replaces the entries instead of counting them twice.
    ASSERT_EQ(dbtest::RunProgram("bash",
                                 {testsupport::SourceDir() + "/scripts/register-odbc-drivers.sh"}),
              0);
    QSettings ini(dir + "/odbcinst.ini", QSettings::IniFormat);
    for (const QString name :
         {"mySQL", "MySQL ODBC 3.51 Driver", "SQL Server", "SQL Native Client"})
        EXPECT_EQ(ini.value(name + "/UsageCount").toString(), "1") << name.toStdString();
    const char* const kinds[][3] = {
        {"2", "0", "0"}, {"2", "0", "1"}, {"2", "1", "0"}, {"3", "0", "0"}, {"3", "1", "1"}};
    for (const auto& [sbType, driver, access] : kinds) {
        dbtest::TestSettings settings;
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
        EXPECT_TRUE(log[0].contains("FreeTDS") && !log[0].contains("not found"))
            << log[0].toStdString();
        EXPECT_FALSE(log[1].contains("secret"));
    }
    const int silent = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    bind(silent, reinterpret_cast<sockaddr*>(&address), length);
    ASSERT_EQ(listen(silent, 4), 0);
    getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);  // the kernel's port
    dbtest::TestSettings settings;
    settings.server({"SbType", "2", "ServerName",
                     "127.0.0.1:" + QString::number(ntohs(address.sin_port)), "DbName", "sms"});
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(AdoClass().Connect());
    EXPECT_LT(timer.elapsed(), 11500);
    EXPECT_GE(accept(silent, nullptr, nullptr), 0);  // FreeTDS came to this port
}

}  // namespace
