#pragma once
// The gateway core: what the main window owns and runs, with no widget in it. It creates the four
// service objects, keeps both collections, the period, the service-centre number and the cycle
// counters, and runs Start, Stop, the one-second tick and the cycle. It shows and asks through a
// GatewayView and waits through a Pacer, so the window, the headless runner and the tests drive
// the same code.
//
// Errors never leave a procedure: each failure is logged, lights its lamp and leaves its records
// for the next cycle; a cycle always ends with the port closed and the Start/Stop button enabled.
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/CycleCountdown.h"
#include "app/GatewayView.h"
#include "files/AlarmLamps.h"
#include "files/Clock.h"
#include "files/Pacer.h"
#include "settings/Collections.h"

class AdoClass;
class FileFolder;
class Journal;
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
    // The tag becomes "Exit"; the next Tick() asks the view to close. It may come while a cycle
    // runs (a signal, the window's Stop): the cycle then sends nothing more after the part in
    // flight, skips what is not yet begun, and still writes back what the phone accepted; the
    // journal keeps the rest for the next start.
    void Stop();
    // The timer's work for one second. A tick arriving while one runs is ignored. The tick that
    // closes first tries the write-backs and deletes still pending, unless a cycle did so after
    // the stop.
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
    Journal& WorkJournal() { return *journal_; }
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
    // digest: of the listed PDU (Journal::Digest); a record held under the key with another
    // digest is another message at a reused index.
    void AddToRecCollection(const QString& keyAndDecoded, const QString& digest = QString());
    void CopyFromRecCollectionToDbase();
    void DeleteMsgFromRecCollection();
    void RemoveDeletedFromRecCollection();
    void CopyFromDbaseToSendCollection();
    void SendMsgFromSendCollection();
    void UpdateSentMsgInBase();
    // Turns what the journal holds from an earlier run into records: rows whose parts were all
    // accepted wait to be written back as 2; a part whose outcome is unknown is taken as accepted
    // and logged, or sent again when Options/ResendUncertain is "1". Cheap when it is empty.
    void SettleJournal();
    // "Send" refills the sending list, anything else the received list.
    void ShowCollection(const QString& which);

    // Options/Mode values.
    enum Mode { ModeBoth = 1, ModeNoNewSends = 2, ModePhoneNotRead = 3 };

private:
    enum class SendOutcome { Sent, Refused, PortLost, NotBegun, Interrupted };
    // What the phone did with a cycle's waiting records: nothing waited, it answered (accepting
    // or refusing), or it could not be reached or was lost before accepting any.
    enum class ModemVerdict { Idle, Answered, Failed };
    ModemVerdict SendWaitingRecords();

    void MakeDatabase();
    void Reinitialise();
    // In Mode 3 nothing has opened the port before sending: open it and wake the phone.
    bool OpenPhoneForSending();
    SendOutcome SendOneMessage(MsgToSend& msg);
    // Selects and lists one storage into the collection; false when the storage was refused or
    // its listing did not end with OK.
    bool ListStorage(int storage);
    // After a complete listing of the storage: stored records and journal entries whose PDU it
    // did not show under their key have left the phone.
    void ForgetWhatLeftThePhone(int storage);
    // A listed SMS-SUBMIT under this key: logged with its hex, then deleted from the phone.
    void RemoveStoredSubmit(const QString& key, const QString& pdu);
    // A listing shows another message under a key still held: the phone reused the index.
    void TakeOverReusedIndex(const ReceivedMsg& listed);
    bool DeletesPending() const;
    void SettleBeforeExit();
    // A stop cuts the cycle short, except the pass that settles before exit.
    bool StopCutsShort() const { return stopAsked_ && !finishing_; }
    // False (logged once a cycle, files lamp red) when the journal could not record a step.
    bool Journaled(bool written, const QString& procedure);

    // Several gateways on one send table (Options/GatewayId): claims and modem failover.
    bool ClaimsOn() const;
    void ClaimAndLoadSendRows();
    // Before a record goes to the phone: true while its row is still this gateway's; no value
    // when the database cannot say (nothing more is sent this cycle). True with claims off.
    std::optional<bool> StillClaimed(const QString& msgId);
    void NoteModemVerdict(ModemVerdict verdict);
    // The waiting rows this gateway holds go back to all, except those the journal shows on
    // their way; their records leave the collection.
    void GiveClaimsBack();
    int failedModemCycles_ = 0;

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
    std::unique_ptr<Journal> journal_;
    SendCollection sending_;
    RecCollection received_;
    // MsgID -> digest of the PDU of each held received record.
    QHash<QString, QString> heldDigests_;
    // This cycle's listings: key -> digest of the PDU listed under it. A delete goes only there.
    QHash<QString, QString> listed_;
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
    bool stopAsked_ = false;
    bool finishing_ = false;
    bool exitSettled_ = false;
    bool journalFailureLogged_ = false;
};
