#pragma once
// SIGTERM and SIGINT for the window: the handler only writes a byte into a pipe (all it may do),
// and the window's event loop reads it and asks for a stop, as the Stop button does.
#include <QObject>

class QSocketNotifier;

class StopSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one instance per program.
    explicit StopSignal(QObject* parent = nullptr);
    ~StopSignal() override;

Q_SIGNALS:
    void stopRequested();

private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
};
