#pragma once
// What the virtual modem answers: a GSM phone in PDU mode with two message storages. It is fed
// the bytes the terminal received and returns the bytes to send back; the terminal, the clock
// and the files belong to main.cpp.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace modemsim {

// --fail CMD[:K]: answer an error to the K-th occurrence of CMD (every one when K is 0).
struct FailRule {
    std::string command;  // upper case, without "AT" and "+": CMGS, CMGD, Z, CSQ
    int occurrence = 0;
};

struct EngineOptions {
    std::string smsc = "+79001111111";
    bool statusReports = false;
    std::vector<FailRule> failures;
};

class ModemEngine {
public:
    explicit ModemEngine(EngineOptions options);

    // The terminal's bytes, answered: the echo first, then each command's answer.
    struct Output {
        std::string echo;
        std::string answer;
    };
    std::vector<Output> feed(const std::string& bytes);

    // Puts a PDU into "ME" or "SM" at the first free index; that index, or 0 when the storage is
    // unknown or full or the PDU is not hex.
    int addMessage(const std::string& storage, const std::string& pdu);
    // Command lines handled so far (a PDU given after AT+CMGS does not count).
    int commandsHandled() const { return commands_; }

    // Called with each SMS-SUBMIT PDU the modem accepted.
    std::function<void(const std::string& pdu)> onSubmitAccepted;

private:
    struct Message {
        int stat = 0;  // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
        std::string pdu;
    };
    struct Storage {
        int capacity = 0;
        std::map<int, Message> messages;
    };

    std::string answerLine(const std::string& line);
    std::string answerCommand(const std::string& name, const std::string& rest);
    std::string answerPdu(const std::string& pdu);
    std::string listMessages(int stat);
    std::string readMessage(int index);
    std::string selectStorages(const std::string& args);
    std::string storageCounts() const;
    bool failsNow(const std::string& name);

    EngineOptions options_;
    std::map<std::string, Storage> storages_;
    std::string readStorage_ = "ME";
    std::map<std::string, int> seen_;
    std::string line_;
    bool echo_ = true;
    bool inPdu_ = false;
    int pduLength_ = 0;
    bool pduFails_ = false;
    std::string pdu_;
    int nextReference_ = 0;
    int commands_ = 0;
    int cmee_ = 0;
};

}  // namespace modemsim
