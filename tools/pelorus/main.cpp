// pelorus: the gateway. Options: --config FILE (the settings file, default Pelorus.ini beside the
// program), --print-settings (every key with its default and its value in the file).
#include <QCoreApplication>
#include <QTextStream>

#include "Headless.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    SetIniFileNameFromArguments(args);
    if (args.contains(QStringLiteral("--print-settings")))
        return PrintSettings();
    if (args.contains(QStringLiteral("--headless")))
        return RunHeadless(args);
    QTextStream(stderr) << "usage: pelorus [--config FILE] --print-settings\n"
                          "       pelorus [--config FILE] --headless [--cycles N] [--adopt-smsc]\n";
    return 2;
}
