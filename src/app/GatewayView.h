#pragma once
// What the gateway core shows and asks, with no widget in it. The main window is one
// implementation, the headless runner another, and tests record the calls.
#include <QString>
#include <QStringList>

class AlarmLamps;

class GatewayView {
public:
    virtual ~GatewayView() = default;

    // The status line (countdown and phase messages).
    virtual void showStatus(const QString& text) = 0;
    // The two lists, one line per record, in collection order (already formatted).
    virtual void showReceived(const QStringList& lines) = 0;
    virtual void showSending(const QStringList& lines) = 0;
    // Gauges: battery 0..100; antenna as the phone reports it (99 unknown, 100 at start).
    virtual void showBatteryLevel(int level) = 0;
    virtual void showAntennaLevel(int level) = 0;
    // The lamps changed; read their colours from the model.
    virtual void showLamps(const AlarmLamps& lamps) = 0;
    // A question box with Yes and No (question icon); true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text) = 0;
    // A message box with an OK button.
    virtual void showMessage(const QString& title, const QString& text) = 0;
    // An alarm was raised: a minimised or maximised window goes back to its normal size.
    virtual void restoreWindow() = 0;
    // The Start/Stop button is disabled while a cycle runs.
    virtual void setStartStopEnabled(bool enabled) = 0;
    // After Stop, the next tick asks the program to end.
    virtual void closeWindow() = 0;
    // Every line written to the day's log (the headless runner prints them).
    virtual void logWritten(const QString& line) { (void)line; }
};
