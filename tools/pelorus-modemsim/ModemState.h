#pragma once
// What the virtual modem keeps between commands, what a command answers, and the table that
// maps command names to the functions answering them.
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Profiles.h"

namespace modemsim {

// --fail CMD[:K]: answer an error to the K-th occurrence of CMD (every one when K is 0).
struct FailRule {
    std::string command;  // upper case, without "AT" and "+": CMGS, CMGD, Z, CSQ
    int occurrence = 0;
};

// --report-status ST[:DIGITS]: the TP-ST of the reports for recipients ending in DIGITS (all
// recipients when empty).
struct ReportRule {
    int status = 0;
    std::string digits;
};

struct EngineOptions {
    std::string smsc = "+79001111111";
    bool statusReports = false;
    std::vector<ReportRule> reportStatuses;  // the first that fits decides; none: delivered
    int firstReference = 0;                  // the TP-MR of the first accepted message
    std::vector<FailRule> failures;
    Quirks quirks;
    std::string pin;           // empty: no SIM PIN asked
    int cmgsDelayMs = 3000;    // slow-network
    int promptDelayMs = 2500;  // late-prompt
};

struct Message {
    int stat = 0;  // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    std::string pdu;
};

struct Storage {
    int capacity = 0;
    std::map<int, Message> messages;
};

// The final result of a reply. Cms numbers stay numbers under AT+CMEE=0, as TS 27.005 gives
// them; Cme numbers become ERROR there, except SIM PIN required (python-gsmmodem FakeModem row).
enum class Final { Ok, Error, Cme, Cms, Prompt, None };

struct Reply {
    std::vector<std::string> lines;  // information text
    Final final = Final::Ok;
    int code = 0;
    int delayMs = 0;                 // the whole reply comes this much later
    std::vector<std::string> after;  // unsolicited lines after the result
    int hangUpAfterLines = -1;       // drops the line after these many lines (no result)
};

Reply Lines(std::vector<std::string> lines);
Reply Failed(Final kind, int code);

// What a SMS-SUBMIT or a text the modem accepted goes on to.
struct Sinks {
    std::function<void(const std::string& pdu)> submitAccepted;
    std::function<void(const std::string& line)> textSent;  // "TEXT <da> <text>"
    std::function<void(const std::string& bytes)> unsolicited;
    std::function<void(const std::string& line)> notice;  // on standard output
};

struct ModemState {
    explicit ModemState(EngineOptions o);

    EngineOptions options;
    Sinks sinks;
    std::map<std::string, Storage> storages;
    std::array<std::string, 3> mem;  // read and delete, write and send, receive
    bool echo = true;
    bool verbose = true;
    bool quiet = false;
    int cmee = 0;
    bool textMode = false;
    bool showTextHeaders = false;  // AT+CSDH
    std::string charset = "GSM";
    bool pinLocked = false;
    std::array<int, 5> cnmi{};
    int creg = 0;
    int cgreg = 0;
    int cfun = 1;
    int copsFormat = 0;
    std::map<int, int> sRegisters;
    int nextReference = 0;
    bool dropped = false;  // drop-listing happened
    bool routed = false;   // routed's +CDS and +CMT went out

    // Waiting for the text after a prompt.
    enum class Input { None, SendPdu, WritePdu, SendText, WriteText };
    Input input = Input::None;
    int inputLength = 0;
    std::string inputArgument;  // the address to send to, or the stat to store with
    bool inputFails = false;

    bool has(Quirk q) const { return Has(options.quirks, q); }
    int firstIndex() const { return has(Quirk::IndexFromZero) ? 0 : 1; }
    // The storage a name means here ("ME" is "SM" on a modem without one); empty when unknown.
    std::string storageName(const std::string& name) const;
    // Stores a PDU at the first free index of a storage: that index, or -1.
    int store(const std::string& storage, const Message& m);
    // The settings ATZ and AT&F return to.
    void reset();
    void notice(const std::string& line) const;
    int takeReference();
};

using Handler = std::function<Reply(ModemState&, const AtCommand&)>;
using CommandTable = std::map<std::string, Handler>;

void AddBasicCommands(CommandTable& table);
void AddNetworkCommands(CommandTable& table);
void AddSmsCommands(CommandTable& table);
void AddMessageCommands(CommandTable& table);

}  // namespace modemsim
