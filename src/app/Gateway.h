#pragma once
// The gateway core: what the main window owns and runs, with no widget in it. It creates the four
// service objects, keeps both collections, the period, the service-centre number and the cycle
// counters, and runs Start, Stop, the one-second tick and the cycle. It shows and asks through a
// GatewayView and waits through a Pacer, so the window, the headless runner and the tests drive
// the same code.
//
// Errors never leave a procedure: each failure is logged, lights its lamp and leaves its records
// for the next cycle; a cycle always ends with the port closed and the Start/Stop button enabled.
#include <QString>
#include <functional>
#include <memory>

#include "app/CycleCountdown.h"
#include "app/GatewayView.h"
#include "files/AlarmLamps.h"
#include "files/Clock.h"
#include "files/Pacer.h"
#include "settings/Collections.h"

class AdoClass;
class FileFolder;
class MobilePhone;
class SMScoder;

class Gateway {
public:
    Gateway(GatewayView& view, Pacer& pacer = Pacer::real(), const Clock& clock = Clock::system());
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Start-up: the settings file (appFolder + "/Pelorus.ini" unless a path was chosen already),
    // the four services in their order, the log folder, the gauges full, the tag "Exit".
    void Load(const QString& appFolder);
    // The start-up checks; the tag becomes "" (running). The caller then starts its 1 s timer.
    // A false result (the phone did not answer) also asks the view to restore the window.
    bool Start();
    // The tag becomes "Exit"; the next Tick() asks the view to close.
    void Stop();
    // The timer's work for one second. A tick arriving while one runs is ignored.
    void Tick();
    bool IsRunning() const { return tag_.isEmpty(); }
    bool CloseAllowed() const { return tag_ == QLatin1String("Exit"); }
    // An allowed close: the port is closed and the services are released.
    void Shutdown();

    AlarmLamps& Lamps() { return lamps_; }
    FileFolder& Folder() { return *folder_; }
    AdoClass& Database() { return *database_; }
    MobilePhone& Phone() { return *phone_; }
    SMScoder& Coder() { return *coder_; }
    const SendCollection& Sending() const { return sending_; }
    const RecCollection& Received() const { return received_; }

    qint16 Period() const { return period_; }
    const QString& SMSC() const { return smsc_; }
    const CycleCountdown& Countdown() const { return countdown_; }
    // Cycles completed since Load.
    int CyclesRun() const { return cyclesRun_; }

    // The named procedures of the cycle; public so that one step can be run on its own.
    bool CheckPhone();
    void LoadDbSettings();
    void RunCycle();
    bool CopyFromPhoneToRecCollection();
    void ReadMsgFromPhone();
    void AddToRecCollection(const QString& keyAndDecoded);
    void CopyFromRecCollectionToDbase();
    void DeleteMsgFromRecCollection();
    void RemoveDeletedFromRecCollection();
    void RemoveWrittenFromRecCollection();
    void CopyFromDbaseToSendCollection();
    void SendMsgFromSendCollection();
    void UpdateSentMsgInBase();
    // "Send" refills the sending list, anything else the received list.
    void ShowCollection(const QString& which);

    // Options/Mode values.
    enum Mode { ModeBoth = 1, ModeNoNewSends = 2, ModePhoneNotRead = 3 };

private:
    void MakeDatabase();
    void Reinitialise();
    // In Mode 3 nothing has opened the port before sending: open it and wake the phone.
    bool OpenPhoneForSending();
    bool SendOneMessage(MsgToSend& msg);
    // A listing shows another message under a key still held: the phone reused the index.
    void TakeOverReusedIndex(const ReceivedMsg& listed);

    void Show(const QString& status);
    // A gateway log line (time stamp, ";   ", text) through the folder store.
    void WriteLog(const QString& text);
    // Runs one step of a cycle; an unexpected error ends that step only.
    void Guarded(const std::function<void()>& step);

    GatewayView& view_;
    Pacer& pacer_;
    const Clock& clock_;
    AlarmLamps lamps_;
    std::unique_ptr<MobilePhone> phone_;
    std::unique_ptr<SMScoder> coder_;
    std::unique_ptr<FileFolder> folder_;
    std::unique_ptr<AdoClass> database_;
    SendCollection sending_;
    RecCollection received_;
    qint16 period_ = 0;
    QString smsc_;
    CycleCountdown countdown_;
    QString tag_ = QStringLiteral("Exit");
    bool tickRunning_ = false;
    // The phone answered in this cycle (sending is skipped when it did not).
    bool phoneReady_ = false;
    int mode_ = ModeBoth;
    int cyclesRun_ = 0;
    int detachedCount_ = 0;
};
