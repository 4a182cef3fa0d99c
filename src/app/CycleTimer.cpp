// The one-second tick and the gateway cycle it runs when the period is over.
#include "app/Gateway.h"
#include "db/AdoClass.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

namespace {
// Clears a flag when the scope ends, whatever way it ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};
}  // namespace

void Gateway::Tick() {
    // Waits inside a cycle let events run, and the timer may fire there: that tick is dropped.
    if (tickRunning_)
        return;
    FlagScope running(tickRunning_);
    if (CloseAllowed()) {
        if (!exitSettled_)
            Guarded([this] { SettleBeforeExit(); });
        view_.closeWindow();
        return;
    }
    if (countdown_.InAdoErrorPause()) {
        Show(countdown_.AdoErrorPauseSecond());
        pacer_.letEventsRun();
        return;
    }
    const CycleCountdown::Second second = countdown_.CountSecond(period_);
    Show(CycleCountdown::CountdownText(second.remaining));
    if (second.reinitCheck && countdown_.ReinitDue(SettingNumber(Setting::ReinitPeriod)))
        Guarded([this] { Reinitialise(); });
    if (second.cycleDue)
        RunCycle();
}

void Gateway::Reinitialise() {
    database_->CloseConnection();
    pacer_.pause(500);
    database_.reset();
    pacer_.pause(1000);
    MakeDatabase();
    Show(QStringLiteral("Выполнена реинициализация ADO"));
    pacer_.pause(1000);
    pacer_.letEventsRun();
    CheckPhone();
}

void Gateway::RunCycle() {
    countdown_.CycleStarted();
    mode_ = SettingNumber(Setting::OptionsMode);
    phoneReady_ = false;
    listed_.clear();
    LoadDbSettings();
    view_.setStartStopEnabled(false);
    Guarded([this] { SettleJournal(); });

    Show(QStringLiteral("Чтение сообщений из телефона"));
    pacer_.pause(300);
    if (mode_ != ModePhoneNotRead && !StopCutsShort())
        Guarded([this] { phoneReady_ = CopyFromPhoneToRecCollection(); });
    ShowCollection(QStringLiteral("Receive"));

    bool connected = false;
    Guarded([this, &connected] { connected = database_->Connect(); });
    if (!connected) {
        Show(QStringLiteral("Невозможно установить соединение с сервером"));
        pacer_.pause(1000);
        ShowCollection(QStringLiteral("Receive"));
    } else {
        Show(QStringLiteral("Обработка принятых сообщений"));
        pacer_.pause(300);
        Guarded([this] { CopyFromRecCollectionToDbase(); });
        ShowCollection(QStringLiteral("Receive"));
        Guarded([this] {
            DeleteMsgFromRecCollection();
            RemoveDeletedFromRecCollection();
        });
        ShowCollection(QStringLiteral("Receive"));

        Show(QStringLiteral("Отправка сообщений"));
        pacer_.pause(300);
        if (mode_ != ModeNoNewSends && !StopCutsShort())
            Guarded([this] { CopyFromDbaseToSendCollection(); });
        ShowCollection(QStringLiteral("Send"));
        Guarded([this] { SendMsgFromSendCollection(); });
        Show(QStringLiteral("Обработка отправленных сообщений"));
        pacer_.pause(300);
        Guarded([this] { UpdateSentMsgInBase(); });
        ShowCollection(QStringLiteral("Send"));
        Guarded([this] { database_->CloseConnection(); });
    }
    // A stop ends the claims too: what this gateway held waits for the others.
    if (stopAsked_ && connected && ClaimsOn())
        Guarded([this] {
            GiveClaimsBack();
            database_->CloseConnection();
        });
    Guarded([this] { phone_->ClosePort(); });
    view_.setStartStopEnabled(true);
    ++cyclesRun_;
    // Stopped during this cycle: it already tried everything the exit would.
    exitSettled_ = stopAsked_;
}
