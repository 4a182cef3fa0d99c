#pragma once
// What the virtual modem answers: a GSM phone with two message storages. It is fed the bytes
// the terminal received and returns the bytes to send back; the terminal, the clock and the
// files belong to main.cpp. The commands are rows of a table (BasicCommands.cpp,
// NetworkCommands.cpp, SmsCommands.cpp, MessageCommands.cpp).
#include <string>
#include <vector>

#include "ModemState.h"

namespace modemsim {

class ModemEngine {
public:
    explicit ModemEngine(EngineOptions options);

    // Bytes to send, delayMs after the moment the command came; hangUp drops the line after.
    struct Chunk {
        int delayMs = 0;
        std::string bytes;
        bool hangUp = false;
    };
    // The terminal's bytes, answered: the echo first (at once), then each command's answer.
    struct Output {
        std::string echo;
        std::vector<Chunk> chunks;
    };
    std::vector<Output> feed(const std::string& bytes);

    // Puts a PDU into "ME" or "SM" at the first free index and raises +CMTI/+CDSI (or routes
    // it as +CMT/+CDS) as AT+CNMI asks; the index, or -1 when the storage is unknown or full or
    // the PDU is not hex. Messages of a modem without "ME" go to "SM".
    int addMessage(const std::string& storage, const std::string& pdu);
    // "ME n SM m": how many messages each storage holds.
    std::string storedCounts() const;
    // Command lines handled so far (a PDU given after AT+CMGS does not count).
    int commandsHandled() const { return commands_; }

    Sinks& sinks() { return state_.sinks; }

private:
    Reply answerLine(const std::string& line);
    Reply dispatch(const AtCommand& command);
    bool failsNow(const std::string& name);
    Output answered(const std::string& echo, const Reply& reply) const;

    ModemState state_;
    CommandTable table_;
    std::map<std::string, int> seen_;
    std::string line_;
    std::string input_;
    int commands_ = 0;
};

}  // namespace modemsim
