#pragma once
// The view of the gateway when it runs as a service: status texts and log lines go to a text
// stream (standard output), lists, gauges and lamps are printed when they change, and the
// SMS-centre question gets a fixed answer, printed with it. On a terminal the status line rewrites
// itself in place; elsewhere (the systemd journal) the countdown is printed once per cycle, not
// every second.
#include <QStringList>
#include <QTextStream>
#include <functional>

#include "app/GatewayView.h"

class HeadlessView : public GatewayView {
public:
    HeadlessView(QTextStream& out, bool adoptPhoneCentre, bool terminal = false);

    void showStatus(const QString& text) override;
    void showReceived(const QStringList& lines) override;
    void showSending(const QStringList& lines) override;
    void showBatteryLevel(int level) override;
    void showAntennaLevel(int level) override;
    void showLamps(const AlarmLamps& lamps) override;
    bool askYesNo(const QString& title, const QString& text) override;
    void showMessage(const QString& title, const QString& text) override;
    void restoreWindow() override {}
    void setStartStopEnabled(bool) override {}
    void closeWindow() override;
    void logWritten(const QString& line) override;

    // Called when the gateway asks to end (the tick after Stop).
    std::function<void()> onClose;

    // "ADO green/red, Телефон green/red, Файлы green/red" for the six lamps.
    static QString LampsText(const AlarmLamps& lamps);
    // One line of its own (after the terminal's status line, if one is shown).
    void Print(const QString& line);
    // A text the timer shows every second: the countdown, or a second of the database pause.
    static bool IsSecondText(const QString& status);

private:
    void PrintList(const QString& caption, const QStringList& lines, QStringList& last);

    QTextStream& out_;
    bool adoptPhoneCentre_;
    bool terminal_;
    // The terminal's status line holds text not yet ended by a line break.
    bool statusOpen_ = false;
    bool lastWasSecond_ = false;
    QStringList received_;
    QStringList sending_;
    QString lamps_;
};
