#pragma once
// What the gateway's end-to-end tests share: a scratch folder with a settings file and a real
// SQLite database made from sql/sqlite.sql, the virtual modem on a pseudo-terminal, a gateway
// driven through a recording view and a virtual pacer, and readers for the tables and the log.
#include <QMap>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "RecordingView.h"
#include "app/Gateway.h"
#include "files/Pacer.h"
#include "modemsim_support.h"

class MobilePhone;

namespace gatewaytest {

using namespace Qt::StringLiterals;

// One SMS-DELIVER PDU (hex) as a phone would list it, from `number` with `text`: 7-bit when the
// text allows, UCS2 otherwise. Parts of a long text are not made here.
QString DeliverPdu(const QString& number, const QString& text);
// The SMS-DELIVER a recipient would list for an SMS-SUBMIT the modem accepted (header kept).
QString DeliverFromSubmit(const QString& submitHex);

struct SendRowState {
    QString id;
    QString number;
    int status = 0;
};

class GatewayRig {
public:
    GatewayRig();
    ~GatewayRig();

    // The settings written at Load (section/key -> value); defaults below suit the modem.
    QMap<QString, QString> settings;
    void SetSetting(const QString& sectionKey, const QString& value);  // "Options/Mode"
    QString SettingInFile(const QString& section, const QString& key) const;

    // Starts the virtual modem and points Phone/ComPort at it.
    bool StartModem(const QStringList& options = {}, const QStringList& inbox = {});
    testsupport::ModemSim& Modem() { return modem_; }

    // Writes the settings, makes the gateway (after the last one is gone, as a restart would) and
    // runs its start-up (Load).
    void Load();
    // Load, then Start (the start-up checks give the phone its port and the gateway its tables).
    void Start() {
        Load();
        gateway_->Start();
    }
    Gateway& G() { return *gateway_; }
    void RunCycles(int cycles);
    RecordingView view;
    VirtualPacer pacer;
    // The clock of the gateways made from here on; the system's when null.
    const Clock* clock = nullptr;

    // Database helpers (a connection of the test's own).
    QString DatabasePath() const { return dir_.filePath(u"pelorus.db"_s); }
    void AddSendRow(const QString& number = u"79005550001"_s, const QString& text = u"Hello"_s);
    QList<SendRowState> SendRows() const;
    QStringList ReceivedTexts() const { return ReceivedColumn(u"SmsMessage"_s); }
    // In the order stored; NULL as "".
    QStringList ReceivedColumn(const QString& column, const QString& table = u"Receive"_s) const;
    // A statement on the test's own connection (a trigger that makes updates fail...).
    bool Execute(const QString& sql) { return Query(sql).isActive(); }
    // The database becomes unreachable (its path names a missing folder) or reachable again.
    void SetDatabaseDown(bool down);

    // PDUs left in the phone, listed on the modem with a phone of the test's own (gateway's port
    // must be closed): storage 1 then 2.
    QStringList PhoneListing();
    // Deletes one message from the phone directly ("1" + index or "2" + index).
    bool DeleteFromPhone(const QString& msgId);

    // Lines of today's log file.
    QStringList LogFileLines() const;
    QString Folder() const { return dir_.path(); }

    // Writes the settings only (for a gateway program run on them: only one gateway may hold the
    // folder's journal).
    void WriteSettings();

private:
    QSqlQuery Query(const QString& sql, const QStringList& values = {}) const;
    // A phone of the test's own on the modem's port, open (null when the port did not open).
    std::unique_ptr<MobilePhone> OpenOwnPhone();

    QTemporaryDir dir_{ScratchTemplate()};
    static QString ScratchTemplate();
    testsupport::ModemSim modem_;
    std::unique_ptr<Gateway> gateway_;
    QString checkConnection_;
};

}  // namespace gatewaytest
