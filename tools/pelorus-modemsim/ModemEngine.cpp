#include "ModemEngine.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "StatusReport.h"

namespace modemsim {

namespace {
const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kNoMessage = "\r\n+CMS ERROR: 321\r\n";
const std::string kBadPdu = "\r\n+CMS ERROR: 304\r\n";
const std::string kNetworkRefused = "\r\n+CMS ERROR: 500\r\n";

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Information lines, then OK.
std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += "\r\n" + l;
    return out + (lines.empty() ? "" : "\r\n") + kOk;
}

// A non-negative decimal number, or -1.
int NumberOf(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(c); }))
        return -1;
    return std::stoi(text);
}

std::vector<std::string> SplitArgs(const std::string& args) {
    std::vector<std::string> out;
    std::string piece;
    for (char c : args) {
        if (c == ',') {
            out.push_back(piece);
            piece.clear();
        } else if (c != '"' && c != ' ') {
            piece += c;
        }
    }
    out.push_back(piece);
    return out;
}

std::string Unquoted(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}
}  // namespace

ModemEngine::ModemEngine(EngineOptions options) : options_(std::move(options)) {
    storages_["ME"].capacity = 50;
    storages_["SM"].capacity = 30;
}

int ModemEngine::addMessage(const std::string& storage, const std::string& pdu) {
    auto it = storages_.find(Upper(storage));
    if (it == storages_.end() || HexOctets(pdu).empty())
        return 0;
    for (int index = 1; index <= it->second.capacity; ++index) {
        if (it->second.messages.count(index) == 0) {
            it->second.messages[index] = Message{0, pdu};
            return index;
        }
    }
    return 0;
}

std::vector<ModemEngine::Output> ModemEngine::feed(const std::string& bytes) {
    std::vector<Output> out;
    Output current;
    for (char c : bytes) {
        if (inPdu_) {
            if (c == 26 || c == 27) {
                inPdu_ = false;
                current.answer = c == 26 ? answerPdu(pdu_) : kOk;  // ESC abandons the message
                pdu_.clear();
                out.push_back(current);
                current = Output();
            } else {
                if (echo_)
                    current.echo += c;
                if (c != '\r' && c != '\n')
                    pdu_ += c;
            }
            continue;
        }
        if (echo_ && c != '\n')
            current.echo += c;
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
        current.answer = answerLine(line);
        out.push_back(current);
        current = Output();
    }
    if (!current.echo.empty())
        out.push_back(current);
    return out;
}

bool ModemEngine::failsNow(const std::string& name) {
    const int count = ++seen_[name];
    for (const FailRule& rule : options_.failures)
        if (rule.command == name && (rule.occurrence == 0 || rule.occurrence == count))
            return true;
    return false;
}

std::string ModemEngine::answerLine(const std::string& line) {
    const std::string body = Upper(line.substr(2));
    std::string name;
    std::string rest;
    if (!body.empty() && (body[0] == '+' || body[0] == '^')) {
        size_t end = 1;
        while (end < body.size() && std::isalnum(static_cast<unsigned char>(body[end])))
            ++end;
        name = body.substr(1, end - 1);
        rest = line.substr(2 + end);
    } else if (!body.empty()) {
        name = body.substr(0, 1);
        rest = line.substr(3);
    }
    if (failsNow(name)) {
        if (name != "CMGS")
            return kError;
        pduFails_ = true;  // the network refuses it once the PDU is given
    } else if (name == "CMGS") {
        pduFails_ = false;
    }
    return answerCommand(name, rest);
}

std::string ModemEngine::answerCommand(const std::string& name, const std::string& rest) {
    const std::string arg = Upper(rest);
    if (name.empty())
        return kOk;
    if (name == "Z") {
        echo_ = true;
        return kOk;
    }
    if (name == "E") {
        if (arg != "" && arg != "0" && arg != "1")
            return kError;
        echo_ = arg == "1";
        return kOk;
    }
    if (name == "H" || name == "D")
        return kOk;
    if (name == "I")
        return Lines({"Pelorus virtual GSM modem"});
    if (arg == "=?" && (name == "CGMI" || name == "CGMM" || name == "CGMR" || name == "CGSN"))
        return kOk;
    if (name == "CGMI")
        return Lines({"Pelorus"});
    if (name == "CGMM")
        return Lines({"ModemSim"});
    if (name == "CGMR")
        return Lines({"1.0"});
    if (name == "CGSN")
        return Lines({"356938035643809"});
    if (name == "CSCA") {
        if (arg == "?") {
            const bool plus = !options_.smsc.empty() && options_.smsc[0] == '+';
            return Lines({"+CSCA: \"" + options_.smsc + "\"," + (plus ? "145" : "129")});
        }
        if (arg.size() > 1 && arg[0] == '=') {
            options_.smsc = Unquoted(SplitArgs(rest.substr(1)).front());
            return kOk;
        }
        return kError;
    }
    if (name == "CPAS")
        return Lines({arg == "=?" ? "+CPAS: (0-5)" : "+CPAS: 0"});
    if (name == "CSQ")
        return Lines({arg == "=?" ? "+CSQ: (0-31,99),(0-7,99)" : "+CSQ: 18,99"});
    if (name == "CBC")
        return Lines({arg == "=?" ? "+CBC: (0-3),(0-100)" : "+CBC: 0,85"});
    if (name == "CMGF") {
        if (arg == "?")
            return Lines({"+CMGF: 0"});
        if (arg == "=?")
            return Lines({"+CMGF: (0)"});
        return arg == "=0" ? kOk : kError;  // text mode is not offered
    }
    if (name == "CPMS") {
        if (arg == "=?")
            return Lines({"+CPMS: (\"ME\",\"SM\"),(\"ME\",\"SM\"),(\"ME\",\"SM\")"});
        if (arg == "?") {
            const Storage& s = storages_.at(readStorage_);
            const std::string one = "\"" + readStorage_ + "\"," +
                                    std::to_string(s.messages.size()) + "," +
                                    std::to_string(s.capacity);
            return Lines({"+CPMS: " + one + "," + one + "," + one});
        }
        return arg.size() > 1 && arg[0] == '=' ? selectStorages(arg.substr(1)) : kError;
    }
    if (name == "CMGL") {
        if (arg == "=?")
            return Lines({"+CMGL: (0-4)"});
        if (arg.empty())
            return listMessages(0);
        const int stat = arg[0] == '=' ? NumberOf(arg.substr(1)) : -1;
        return stat >= 0 && stat <= 4 ? listMessages(stat) : kError;
    }
    if (name == "CMGR") {
        const int index = arg.size() > 1 && arg[0] == '=' ? NumberOf(arg.substr(1)) : -1;
        return index < 0 ? kError : readMessage(index);
    }
    if (name == "CMGS") {
        const int length = arg.size() > 1 && arg[0] == '=' ? NumberOf(arg.substr(1)) : -1;
        if (length < 1)
            return kError;
        inPdu_ = true;
        pduLength_ = length;
        return "\r\n> ";
    }
    if (name == "CMGD") {
        const std::vector<std::string> a =
            arg.size() > 1 && arg[0] == '=' ? SplitArgs(arg.substr(1)) : std::vector<std::string>{};
        if (a.empty())
            return kError;
        Storage& s = storages_.at(readStorage_);
        if (a.size() > 1 && a[1] == "4") {
            s.messages.clear();
            return kOk;
        }
        const int index = NumberOf(a[0]);
        return s.messages.erase(index) == 1 ? kOk : kNoMessage;
    }
    if (name == "CNMI") {
        if (arg == "?")
            return Lines({"+CNMI: 2,1,0,0,0"});
        if (arg == "=?")
            return Lines({"+CNMI: (0-2),(0-3),(0-3),(0-2),(0-1)"});
        return arg.size() > 1 && arg[0] == '=' ? kOk : kError;
    }
    if (name == "CMEE") {
        if (arg == "?")
            return Lines({"+CMEE: " + std::to_string(cmee_)});
        const int mode = arg.size() > 1 && arg[0] == '=' ? NumberOf(arg.substr(1)) : -1;
        if (mode < 0 || mode > 2)
            return kError;
        cmee_ = mode;
        return kOk;
    }
    return kError;
}

std::string ModemEngine::selectStorages(const std::string& args) {
    const std::vector<std::string> names = SplitArgs(args);
    for (const std::string& n : names)
        if (storages_.count(n) == 0)
            return "\r\n+CMS ERROR: 302\r\n";
    readStorage_ = names.front();
    std::string counts;
    for (size_t i = 0; i < 3; ++i) {
        const Storage& s = storages_.at(i < names.size() ? names[i] : readStorage_);
        counts +=
            (i ? "," : "") + std::to_string(s.messages.size()) + "," + std::to_string(s.capacity);
    }
    return Lines({"+CPMS: " + counts});
}

std::string ModemEngine::listMessages(int stat) {
    std::vector<std::string> lines;
    for (auto& [index, m] : storages_.at(readStorage_).messages) {
        if (stat != 4 && m.stat != stat)
            continue;
        lines.push_back("+CMGL: " + std::to_string(index) + "," + std::to_string(m.stat) + ",," +
                        std::to_string(TpduOctets(m.pdu)));
        lines.push_back(m.pdu);
        if (m.stat == 0)
            m.stat = 1;
    }
    return Lines(lines);
}

std::string ModemEngine::readMessage(int index) {
    auto& messages = storages_.at(readStorage_).messages;
    auto it = messages.find(index);
    if (it == messages.end())
        return kNoMessage;
    Message& m = it->second;
    const std::string header =
        "+CMGR: " + std::to_string(m.stat) + ",," + std::to_string(TpduOctets(m.pdu));
    if (m.stat == 0)
        m.stat = 1;
    return Lines({header, m.pdu});
}

std::string ModemEngine::answerPdu(const std::string& pdu) {
    const Submit submit = ReadSubmit(pdu, pduLength_);
    if (!submit.valid)
        return kBadPdu;
    if (pduFails_)
        return kNetworkRefused;
    const int reference = nextReference_;
    nextReference_ = (nextReference_ + 1) % 256;
    if (onSubmitAccepted)
        onSubmitAccepted(pdu);
    if (options_.statusReports && submit.wantsReport) {
        const std::time_t now = std::time(nullptr);
        std::tm when{};
        gmtime_r(&now, &when);
        addMessage("ME", StatusReportPdu(options_.smsc, submit, reference, when));
    }
    return Lines({"+CMGS: " + std::to_string(reference)});
}

}  // namespace modemsim
