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
#include <atomic>
#include <mutex>
#include <thread>

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
    // The SMS-SUBMIT PDUs the modem accepted, in order.
    QStringList sentPdus() const;
    // Adds a message while the modem runs ("ME" or "SM"); its index, 0 when refused.
    int addMessage(const QString& storage, const QString& pdu);
    // Waits until the modem reports a line starting with prefix on its output (e.g. "dropped").
    bool waitForOutput(const QString& prefix, int timeoutMs = 5000);

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString pendingOutput_;
    QString lastLine_;
};

// A modem scripted byte for byte on a pseudo-terminal, for replies pelorus-modemsim does not
// give. Each command written to it (up to its CR; at the "> " prompt, up to Ctrl-Z, which is
// command "\x1A") gets the reply of the first rule whose command it starts with, "\r\nOK\r\n"
// when none does. A reply ending in "> " leaves the modem at the prompt, where it answers nothing
// until ESC (which it takes silently) or Ctrl-Z. No echo.
class ScriptedModem {
public:
    struct Rule {
        QByteArray command;
        QByteArray reply;
        int delayMs = 0;      // before the reply
        int gapMs = 0;        // between its bytes
        bool hangUp = false;  // then closes the terminal, as a modem pulled out
    };
    explicit ScriptedModem(QList<Rule> rules, bool atPrompt = false);
    ~ScriptedModem();
    QString link() const { return link_; }
    QByteArray received() const;  // every byte written to the modem so far

private:
    void run(bool atPrompt);
    void answer(const Rule& rule);

    QList<Rule> rules_;
    int master_ = -1;
    QString link_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    QByteArray received_;
    std::thread thread_;
};

}  // namespace testsupport
