// Built only with the widgets.
#ifdef PELORUS_HAVE_WINDOW
#include "window_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "app/window/RussianTranslation.h"
#include "app/window/StopSignal.h"
#include "app/window/frmMain.h"
#include "settings/Ini.h"

namespace {
const char kStart[] = "--start";
const char kConfig[] = "--config";
}  // namespace

bool WantsWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == kConfig && i + 1 < argc)
            ++i;
        else if (arg != kStart)
            return false;
    }
    return true;
}

int RunWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallRussianTranslation(app);
    const QStringList args = app.arguments();
    SetIniFileNameFromArguments(args);
    frmMain window;
    // SIGTERM (systemctl stop, a logout's kill) acts as Stop, like the headless service.
    StopSignal stopSignal;
    QObject::connect(&stopSignal, &StopSignal::stopRequested, &window, &frmMain::StopRequested);
    // The settings file's folder is the program's folder: the log folder is made beside it.
    window.Load(QFileInfo(INIFileName).absolutePath());
    window.show();
    if (args.contains(QLatin1String(kStart)))
        QTimer::singleShot(0, &window, [&window] { window.Command1()->click(); });
    return app.exec();
}

#endif  // PELORUS_HAVE_WINDOW
