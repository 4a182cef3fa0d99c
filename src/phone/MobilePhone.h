#pragma once
// The gateway's link to the GSM phone: the port, the one request/response exchange, and the AT
// commands built on it. Every command is one or more exchanges; each leaves its outcome word in
// Error(): "OK", "Error" or "No answer".
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "files/Pacer.h"

class SerialPort;
namespace AtReplies {
struct Level;
}

class MobilePhone {
public:
    explicit MobilePhone(Pacer& pacer = Pacer::real());
    ~MobilePhone();
    MobilePhone(const MobilePhone&) = delete;
    MobilePhone& operator=(const MobilePhone&) = delete;

    // "1" is /dev/ttyS0 on Linux (COM1: on Windows); any other text is a device path.
    void setPortNumber(const QString& port);
    void setPortSpeed(const QString& speed);
    // Opens the port for this process alone: a port another process holds fails to open.
    bool PortOpen();
    // Why the last PortOpen failed, as an English text for the log ("Port /dev/ttyUSB0 is held
    // by another program"); empty after a successful open.
    QString PortOpenFailure() const { return portOpenFailure_; }
    int ClosePort();
    void PurgeBuffer();
    void FlushComm();
    QString Error() const { return error_; }
    // The device went away while open (a modem pulled out): nothing more will arrive until the
    // port is opened again. An exchange that finds the port lost ends at once with "No answer".
    bool PortLost() const;
    QString Answer() const { return answer_; }

    QString SMSCnumber();
    QString Model();
    void Reset();
    void MakeCall(const QString& number);
    qint32 PhoneState();
    qint16 AntennaLevel();
    qint16 BatteryLevel();
    void ReadAllMsg(qint32 msgType);
    void ReadMessage(qint16 msgNumber);
    QStringList PhoneInfo();  // the five replies, in the order of the commands
    // Sends nothing unless the phone is in PDU mode (set by Init, or here when Init has not run
    // since the port opened). A prompt that failed or came late is cancelled with ESC.
    void SendMsg(const QString& message, const QString& msgLength);
    // The reference the phone gave the message SendMsg last sent ("+CMGS: <mr>"); -1 when it was
    // not accepted or the phone named none.
    int LastMessageReference() const { return lastReference_; }
    // First character: 1 phone memory, else SIM. False, and no AT+CMGD sent, when the storage
    // selection was refused.
    bool DeleteMsg(const QString& msgNumber);
    // ESC (a phone left at the "> " prompt takes everything as message text until then), "ATZ",
    // then "AT+CMGF=0": true only when both were answered OK.
    bool Init();
    // True, and Error() "OK", only when the phone accepted the selection.
    bool ChoseStorage(qint32 storage);

    // The three set-up failure messages (time-outs, DCB build, DCB set) go here, not to a
    // dialog; the window shows them.
    std::function<void(const QString& text)> onSetupFailure;
    // Length of one wait step; 1000 ms in production, shorter in tests with a silent modem.
    void setStepMs(int ms) { stepMs_ = ms > 0 ? ms : 1; }

private:
    // Writes command + CR once and collects the reply until its final result line arrives or
    // steps waits of one step have passed; sets Error from the reply.
    QString SendCommand(const QString& command, const QString& awaited, qint16 steps);
    // Reads a reply until its final line has come whole, the budget has run out or
    // the port is lost; what is left of the reply's last line stays unread.
    QString CollectReply(qint64 budgetMs);
    // Reads and discards what arrives until the line stays quiet (bounded): the late reply of an
    // exchange that ran out of time, or the answer to an ESC.
    void DrainLateReplies();
    // ESC and CR: cancels a "> " prompt; a phone in command mode ignores the line.
    void WriteEscape();
    bool SetPduMode();
    void WritePort(const QString& text);
    QString ReadPort();
    void PollPort();
    QString TakeBuffer();
    // AntennaLevel and BatteryLevel: one exchange, the level parsed, its text kept in Answer.
    using LevelParser = AtReplies::Level (*)(const QString& reply, const QString& errorWord);
    qint16 ReadLevel(const QString& command, LevelParser parse);
    // Lets events run, then waits up to ms for bytes; true when bytes arrived.
    bool WaitForBytes(int ms);

    Pacer& pacer_;
    std::unique_ptr<SerialPort> port_;
    QString portNumber_;
    QString portSpeed_;
    QString buffer_;
    QString answer_;
    QString error_;
    qint32 phoneState_ = 0;
    QString smscNumber_;
    int stepMs_ = 1000;
    QString portOpenFailure_;
    bool pduMode_ = false;       // "AT+CMGF=0" was accepted since the port opened
    bool drainPending_ = false;  // late bytes may still come: drain before the next command
    int lastReference_ = -1;
};
