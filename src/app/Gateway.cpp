#include "app/Gateway.h"

#include <QDir>
#include <exception>

#include "app/MessageText.h"
#include "db/AdoClass.h"
#include "files/FileFolder.h"
#include "files/Journal.h"
#include "files/LogLines.h"
#include "pdu/SMScoder.h"
#include "phone/MobilePhone.h"
#include "settings/Ini.h"

namespace {
constexpr int kFullGauge = 100;
}  // namespace

Gateway::Gateway(GatewayView& view, Pacer& pacer, const Clock& clock)
    : view_(view), pacer_(pacer), clock_(clock) {
    lamps_.onChanged = [this] { view_.showLamps(lamps_); };
    lamps_.onRestoreRequested = [this] { view_.restoreWindow(); };
}

Gateway::~Gateway() = default;

void Gateway::Load(const QString& appFolder) {
    if (INIFileName.isEmpty())
        INIFileName = QDir(appFolder).filePath(QStringLiteral("Pelorus.ini"));
    phone_ = std::make_unique<MobilePhone>(pacer_);
    phone_->onSetupFailure = [this](const QString& text) {
        view_.showMessage(QStringLiteral("Pelorus"), text);
    };
    coder_ = std::make_unique<SMScoder>();
    folder_ = std::make_unique<FileFolder>(&lamps_, clock_);
    folder_->onMessage = [this](const QString& title, const QString& text) {
        view_.showMessage(title, text);
    };
    MakeDatabase();
    SetUpLogFolder(*folder_, appFolder);
    journal_ = std::make_unique<Journal>(Journal::PathBeside(INIFileName), clock_);
    Journaled(journal_->Load(), QStringLiteral("Load"));
    tag_ = QStringLiteral("Exit");
    view_.showBatteryLevel(kFullGauge);
    view_.showAntennaLevel(kFullGauge);
}

void Gateway::MakeDatabase() {
    database_ = std::make_unique<AdoClass>(&lamps_, clock_);
    database_->onLogLine = [this](const QString& line) { view_.logWritten(line); };
}

bool Gateway::Start() {
    const bool phoneAnswered = CheckPhone();
    Guarded([this] { SettleJournal(); });
    // A stop asked during the checks keeps the tag "Exit".
    if (!stopAsked_)
        tag_.clear();
    if (!phoneAnswered)
        view_.restoreWindow();
    return phoneAnswered;
}

void Gateway::Stop() {
    stopAsked_ = true;
    tag_ = QStringLiteral("Exit");
}

void Gateway::Shutdown() {
    if (phone_)
        phone_->ClosePort();
    phone_.reset();
    folder_.reset();
    coder_.reset();
    journal_.reset();
    database_.reset();
}

void Gateway::ShowCollection(const QString& which) {
    QStringList lines;
    if (which == QLatin1String("Send")) {
        for (int pos = 1; pos <= sending_.count(); ++pos)
            lines << SendLine(sending_.item(pos));
        view_.showSending(lines);
    } else {
        for (int pos = 1; pos <= received_.count(); ++pos)
            if (!IsWaitingPart(received_.item(pos)))
                lines << ReceivedLine(received_.item(pos));
        view_.showReceived(lines);
    }
    pacer_.letEventsRun();
}

void Gateway::Show(const QString& status) {
    view_.showStatus(status);
}

void Gateway::WriteLog(const QString& text) {
    const QString line = LogLine(clock_.now(), text);
    folder_->WriteFile(FileFolder::kLogFileKind, line);
    view_.logWritten(line);
}

void Gateway::Guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        qWarning("Gateway step stopped: %s", e.what());
    } catch (...) {
        qWarning("Gateway step stopped by an unknown error");
    }
}
