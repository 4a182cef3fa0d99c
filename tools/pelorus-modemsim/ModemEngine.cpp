#include "ModemEngine.h"

#include "Framing.h"
#include "MessageInput.h"
#include "StatusReport.h"

namespace modemsim {

namespace {
constexpr char kCtrlZ = 26;
constexpr char kEscape = 27;
// Commands a SIM-locked phone still takes (python-gsmmodem FakeModem: all but AT+CPIN, ATZ,
// ATE0, AT+CFUN and AT+CMEE give "+CME ERROR: 11"); basic commands need no SIM either.
bool TakenWithoutSim(const std::string& name) {
    return name.size() <= 2 || name == "CPIN" || name == "CFUN" || name == "CMEE";
}
// gammu at-statemachine.c (Huawei), AT+CPMS="SM","SM": ^NWTIME before the echo.
const char kTimeUrc[] = "^NWTIME: 18/03/09,12:36:21+4,00";
}  // namespace

ModemEngine::ModemEngine(EngineOptions options) : state_(std::move(options)) {
    AddBasicCommands(table_);
    AddNetworkCommands(table_);
    AddSmsCommands(table_);
    AddMessageCommands(table_);
    if (state_.has(Quirk::StoredSubmit)) {
        // gammu at-sms/02.dump, AT+CMGR=1: "+CMGR: 3,,29", a message this phone sent.
        state_.store("SM", Message{3,
                                   "0791361907001003B17A0C913619397750320000AD11CD701E340FB3C3"
                                   "F23CC81D0689C3BF"});
    }
}

int ModemEngine::addMessage(const std::string& storage, const std::string& pdu) {
    const std::string name = state_.storageName(storage);
    const std::vector<unsigned char> octets = HexOctets(pdu);
    if (name.empty() || octets.empty() || size_t(octets[0]) + 1 >= octets.size())
        return -1;
    const bool report = (octets[octets[0] + 1] & 0x03) == 0x02;
    const int routing = state_.cnmi[0] == 0 ? 0 : state_.cnmi[report ? 3 : 1];
    const std::string length = std::to_string(TpduOctets(pdu));
    if (routing == (report ? 1 : 2)) {
        // Routed to the terminal, not stored (python-gsmmodem test_receiveStatusReportPduMode).
        const std::string header = report ? "+CDS: " + length : "+CMT: ," + length;
        if (state_.sinks.unsolicited)
            state_.sinks.unsolicited(FrameUnsolicited(state_, {header, pdu}));
        return 0;
    }
    const int index = state_.store(name, Message{0, pdu});
    // mt 3 routes class 3 only, which this modem never gets: the others are stored and told.
    const bool told = report ? routing == 2 : routing == 1 || routing == 3;
    if (index >= 0 && told && state_.sinks.unsolicited) {
        const std::string urc = report ? "+CDSI: \"" : "+CMTI: \"";
        state_.sinks.unsolicited(
            FrameUnsolicited(state_, {urc + name + "\"," + std::to_string(index)}));
    }
    return index;
}

std::string ModemEngine::storedCounts() const {
    std::string out;
    for (const auto& [name, storage] : state_.storages)
        out += (out.empty() ? "" : " ") + name + " " + std::to_string(storage.messages.size());
    return out;
}

std::vector<ModemEngine::Output> ModemEngine::feed(const std::string& bytes) {
    std::vector<Output> out;
    std::string echo;
    for (char c : bytes) {
        if (state_.input != ModemState::Input::None) {
            if (c == kCtrlZ || c == kEscape) {
                out.push_back(answered(echo, FinishInput(state_, input_, c == kEscape)));
                echo.clear();
                input_.clear();
            } else {
                if (state_.echo)
                    echo += c;
                if (c != '\r' && c != '\n')
                    input_ += c;
                else if (c == '\r' && state_.input == ModemState::Input::SendText)
                    input_ += '\n';
            }
            continue;
        }
        if (state_.echo && c != '\n')
            echo += c;
        if (c == '\n')
            continue;
        if (c != '\r') {
            line_ += c;
            continue;
        }
        const std::string line = line_;
        line_.clear();
        if (line.size() < 2 || Upper(line.substr(0, 2)) != "AT")
            continue;  // a bare CR or noise: modems stay silent
        ++commands_;
        if (state_.has(Quirk::DoubledEcho))
            echo += echo;
        if (state_.has(Quirk::Urcs) && Upper(line).find("+CPMS") != std::string::npos)
            echo = FrameUnsolicited(state_, {kTimeUrc}) + echo;
        out.push_back(answered(echo, answerLine(line)));
        echo.clear();
    }
    if (!echo.empty())
        out.push_back(Output{echo, {}});
    return out;
}

ModemEngine::Output ModemEngine::answered(const std::string& echo, const Reply& reply) const {
    return Output{echo,
                  {Chunk{reply.delayMs, FrameReply(state_, reply), reply.hangUpAfterLines >= 0}}};
}

bool ModemEngine::failsNow(const std::string& name) {
    const int count = ++seen_[name];
    for (const FailRule& rule : state_.options.failures)
        if (rule.command == name && (rule.occurrence == 0 || rule.occurrence == count))
            return true;
    return false;
}

Reply ModemEngine::answerLine(const std::string& line) {
    std::vector<AtCommand> commands;
    if (!ParseCommandLine(line.substr(2), commands))
        return Failed(Final::Error, 0);
    Reply all;
    for (const AtCommand& command : commands) {
        Reply r = dispatch(command);
        // Each command's information text has its own leading line end.
        if (!all.lines.empty() && !r.lines.empty())
            all.lines.emplace_back();
        all.lines.insert(all.lines.end(), r.lines.begin(), r.lines.end());
        all.after.insert(all.after.end(), r.after.begin(), r.after.end());
        all.final = r.final;
        all.code = r.code;
        all.delayMs = std::max(all.delayMs, r.delayMs);
        if (r.hangUpAfterLines >= 0)
            all.hangUpAfterLines =
                static_cast<int>(all.lines.size() - r.lines.size()) + r.hangUpAfterLines;
        // V.250: an error ends the line; a prompt waits for its text.
        if (r.final != Final::Ok || r.hangUpAfterLines >= 0)
            break;
    }
    return all;
}

Reply ModemEngine::dispatch(const AtCommand& command) {
    const std::string& name = command.name;
    if (state_.pinLocked && !TakenWithoutSim(name))
        return Failed(Final::Cme, 11);
    const bool fails = failsNow(name);
    state_.inputFails = fails && name == "CMGS";  // the network refuses it once the PDU is given
    if (fails)
        state_.notice("fail: " + name + (name == "CMGS" ? " refused after the PDU" : " refused"));
    if (fails && name != "CMGS")
        return Failed(Final::Error, 0);
    auto it = table_.find(name);
    if (it == table_.end())
        return name.size() <= 2 ? Failed(Final::Error, 0) : Failed(Final::Cme, 4);
    return it->second(state_, command);
}

}  // namespace modemsim
