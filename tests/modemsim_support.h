#pragma once
// Runs pelorus-modemsim for a test: a virtual GSM modem on a pseudo-terminal whose link lives in
// a scratch folder. Give link() to MobilePhone::setPortNumber; the modem stops with the object.
//
//     testsupport::ModemSim modem;
//     ASSERT_TRUE(modem.start({"--status-reports"}, {"SM:0791..."}));
//     phone.setPortNumber(modem.link());
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

class ModemSim {
public:
    ModemSim();
    ~ModemSim();
    ModemSim(const ModemSim&) = delete;
    ModemSim& operator=(const ModemSim&) = delete;

    // The program as built beside the tests.
    static QString Program();

    // Starts the modem with extra options (--latency, --fail, ...) and the messages it holds at
    // start (lines of the --inbox form: "ME:hex", "SM:hex" or "hex"); waits until its link is
    // there. --link, --sent and --control are set here.
    bool start(const QStringList& options = {}, const QStringList& inbox = {});
    // SIGTERM, then waits for the end.
    void stop();
    bool running() const;

    QString link() const;
    // The SMS-SUBMIT PDUs the modem accepted in PDU mode, in order.
    QStringList sentPdus() const;
    // The texts it sent in text mode, as "<address> <text>", in order.
    QStringList sentTexts() const;
    // Adds a message while the modem runs ("ME" or "SM"); its index, 0 when refused (and with
    // the profile index-0, for its first index).
    int addMessage(const QString& storage, const QString& pdu);
    // How many messages the storages hold in all; -1 when the modem does not tell.
    int storedMessages();
    // Waits until the modem reports a line starting with prefix on its output (e.g. "dropped").
    bool waitForOutput(const QString& prefix, int timeoutMs = 5000);

private:
    QStringList sentLines() const;
    bool writeControl(const QString& line);

    QTemporaryDir dir_;
    QProcess process_;
    QString pendingOutput_;
    QString lastLine_;
};

}  // namespace testsupport
