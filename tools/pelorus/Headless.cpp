// The gateway as a service: Start at once, a one-second timer, every status text and log line on
// standard output. SIGTERM and SIGINT act as Stop, noticed at the next wait of the gateway: a
// cycle sends nothing after the part in flight, writes back what the phone accepted, and the
// program ends with status 0.
#include "Headless.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>

#include "app/Gateway.h"
#include "app/HeadlessView.h"
#include "app/StopSignals.h"
#include "settings/Conversions.h"
#include "settings/Ini.h"

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void RequestStop(int) {
    g_stopRequested = 1;
}

// The real pacer with every wait scaled (tests and demos run the same cycle faster). Each wait
// passes a stop signal on to the gateway at once, also in the middle of a cycle.
class ScaledPacer : public Pacer {
public:
    explicit ScaledPacer(int percent) : percent_(percent) {}
    void letEventsRun() override {
        Pacer::real().letEventsRun();
        if (g_stopRequested && onStopSignal)
            onStopSignal();
    }
    void sleepMs(int ms) override { Pacer::real().sleepMs(ms * percent_ / 100); }
    std::function<void()> onStopSignal;

private:
    int percent_;
};

QString OptionValue(const QStringList& arguments, const QString& option) {
    const int i = arguments.indexOf(option);
    return i >= 0 && i + 1 < arguments.size() ? arguments[i + 1] : QString();
}

}  // namespace

int RunHeadless(const QStringList& arguments) {
    QTextStream out(stdout);
    const bool adopt = arguments.contains(QStringLiteral("--adopt-smsc"));
    const int cycles = DecimalValue(OptionValue(arguments, QStringLiteral("--cycles"))).value_or(0);
    const int percent =
        DecimalValue(OptionValue(arguments, QStringLiteral("--pause-percent"))).value_or(100);
    if (cycles < 0 || percent < 0) {
        QTextStream(stderr) << "pelorus: --cycles and --pause-percent take a number from 0 up\n";
        return 2;
    }
    SetStopSignalHandler(RequestStop);

    // The settings file's folder plays the program folder: the log folder defaults beside it.
    const QString appFolder = QFileInfo(INIFileName).absolutePath();
    out << "Pelorus " << PELORUS_VERSION << " headless; settings " << INIFileName << '\n';
    out.flush();

    ScaledPacer pacer(percent);
    HeadlessView view(out, adopt, ::isatty(STDOUT_FILENO) == 1);
    Gateway gateway(view, pacer);
    gateway.Load(appFolder);
    bool closed = false;
    view.onClose = [&closed] {
        closed = true;
        QCoreApplication::quit();
    };
    pacer.onStopSignal = [&] {
        if (!gateway.IsRunning())
            return;
        view.Print(QStringLiteral("Stop requested."));
        gateway.Stop();
    };

    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (closed)
            return;
        if (g_stopRequested)
            pacer.onStopSignal();
        gateway.Tick();
        if (cycles > 0 && gateway.CyclesRun() >= cycles && gateway.IsRunning())
            gateway.Stop();
        // A cycle that saw the stop has settled what it could: end now, not a second later.
        if (!closed && !gateway.IsRunning() && g_stopRequested)
            gateway.Tick();
    });
    gateway.Start();
    timer.start();
    QCoreApplication::exec();
    gateway.Shutdown();
    return 0;
}
