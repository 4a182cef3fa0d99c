#pragma once
// A view for the gateway tests: records what the gateway shows and asks (each status also with
// the virtual clock's milliseconds then), and answers the SMS-centre question as the test says.
#include <QList>
#include <QPair>
#include <QStringList>

#include "app/GatewayView.h"
#include "files/AlarmLamps.h"
#include "files/Pacer.h"

class RecordingView : public GatewayView {
public:
    void showStatus(const QString& text) override {
        statuses << text;
        if (pacer)
            timeline << QString::number(pacer->elapsedMs()) + QLatin1Char(' ') + text;
    }
    void showReceived(const QStringList& lines) override { received = lines; }
    void showSending(const QStringList& lines) override { sending = lines; }
    void showBatteryLevel(int level) override { battery << level; }
    void showAntennaLevel(int level) override { antenna << level; }
    void showLamps(const AlarmLamps&) override {}  // the gateway's Lamps() tell
    bool askYesNo(const QString& title, const QString& text) override {
        questions << qMakePair(title, text);
        return answerYes;
    }
    void showMessage(const QString&, const QString&) override {}
    void restoreWindow() override { ++restores; }
    void setStartStopEnabled(bool enabled) override { startStop << enabled; }
    void closeWindow() override { ++closeRequests; }
    void logWritten(const QString& line) override { logLines << line; }

    // Log lines that contain the text.
    int LogCount(const QString& text) const {
        return static_cast<int>(logLines.filter(text).size());
    }

    bool answerYes = false;
    QStringList statuses;
    // With a pacer: "elapsed-ms status" for each status shown.
    const VirtualPacer* pacer = nullptr;
    QStringList timeline;
    QStringList received;
    QStringList sending;
    QList<int> battery;
    QList<int> antenna;
    QList<QPair<QString, QString>> questions;
    int restores = 0;
    QList<bool> startStop;
    int closeRequests = 0;
    QStringList logLines;
};
