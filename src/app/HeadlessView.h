#pragma once
// The view of the gateway when it runs as a service: every status text and log line goes to a
// text stream (standard output), lists, gauges and lamps are printed when they change, and the
// SMS-centre question gets a fixed answer, printed with it.
#include <QStringList>
#include <QTextStream>
#include <functional>

#include "app/GatewayView.h"

class HeadlessView : public GatewayView {
public:
    HeadlessView(QTextStream& out, bool adoptPhoneCentre);

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

private:
    void PrintList(const QString& caption, const QStringList& lines, QStringList& last);
    void Print(const QString& line);

    QTextStream& out_;
    bool adoptPhoneCentre_;
    QStringList received_;
    QStringList sending_;
    QString lamps_;
};
