// pelorus: the gateway. Options: --version, --config FILE (the settings file, default Pelorus.ini
// beside the program), --print-settings (every key with its default and its value in the file),
// --check-db (connects as the settings say and counts the rows waiting in the send table; exit 0
// when connected, 1 otherwise).
#include <QCoreApplication>
#include <QTextStream>

#include "Headless.h"
#include "db/AdoClass.h"
#include "db/ConnectionString.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#ifdef PELORUS_HAVE_WINDOW
#include "window_main.h"
#endif

namespace {

int PrintSettings() {
    QTextStream out(stdout);
    out << "Settings file: " << INIFileName << "\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("Section"), -12)
               .arg(QStringLiteral("Key"), -14)
               .arg(QStringLiteral("Default"), -14)
               .arg(QStringLiteral("Value"));
    for (int i = 0; i < static_cast<int>(Setting::Count); ++i) {
        const auto s = static_cast<Setting>(i);
        const SettingEntry& e = EntryOf(s);
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(e.section, -12)
                   .arg(e.key, -14)
                   .arg(QLatin1Char('"') + e.defaultValue + QLatin1Char('"'), -14)
                   .arg(ReadSetting(s));
    }
    return 0;
}

// For operators setting up a database: what the gateway would connect with, and whether it can.
int CheckDb() {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString tableSend = ReadSetting(Setting::ServerTableSend);
    out << "Settings file: " << INIFileName << "\n";
    out << "Connection string: "
        << LoggedConnectionString(ReadDbSettings())
               .value_or(QStringLiteral("(none for these settings)"))
        << "\n";
    out.flush();

    AdoClass ado;
    ado.setTableSend(tableSend);
    ado.setTableReceive(ReadSetting(Setting::ServerTableReceive));
    QStringList logLines;
    ado.onLogLine = [&logLines](const QString& line) { logLines << line; };
    if (!ado.Connect()) {
        for (const QString& line : logLines)
            err << line << "\n";
        out << "not connected\n";
        return 1;
    }
    out << "connected\n";
    const std::optional<QStringList> batch = ado.CheckSend();
    if (!logLines.isEmpty() || !batch) {
        for (const QString& line : logLines)
            err << line << "\n";
        out << "rows waiting in " << tableSend << ": unknown (the send table could not be read)\n";
        return 0;
    }
    qsizetype waiting = 0;
    for (const QString& row : *batch)
        waiting += row.isEmpty() ? 0 : 1;
    out << "rows waiting in " << tableSend << ": " << waiting << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]) == "--version") {
        QTextStream(stdout) << "pelorus " << PELORUS_VERSION << "\n";
        return 0;
    }
#ifdef PELORUS_HAVE_WINDOW
    if (WantsWindow(argc, argv))
        return RunWindow(argc, argv);
#endif
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    SetIniFileNameFromArguments(args);
    if (args.contains(QStringLiteral("--print-settings")))
        return PrintSettings();
    if (args.contains(QStringLiteral("--check-db")))
        return CheckDb();
    if (args.contains(QStringLiteral("--headless")))
        return RunHeadless(args);
    QTextStream(stderr) << "usage: pelorus --version\n"
                           "       pelorus [--config FILE] (--print-settings | --check-db)\n"
                           "       pelorus [--config FILE] --headless [--cycles N] [--adopt-smsc]\n"
                           "       pelorus [--config FILE] [--start]   (the window)\n";
    return 2;
}
