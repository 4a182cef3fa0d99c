#include "Options.h"

#include <cctype>
#include <cstdlib>
#include <iostream>

namespace modemsim {

namespace {
const char kUsage[] =
    "usage: pelorus-modemsim --link PATH [options]\n"
    "\n"
    "Answers on a pseudo-terminal like a GSM phone (PDU mode unless a profile says otherwise).\n"
    "PATH becomes a symbolic link to the terminal: give it to the gateway as its ComPort, or to\n"
    "gammu or gnokii as their port. Runs until SIGTERM or SIGINT.\n"
    "\n"
    "  --link PATH          the symbolic link to create (required)\n"
    "  --inbox FILE         messages in the storages at start: one hex PDU a line, optionally\n"
    "                       prefixed \"ME:\" or \"SM:\" (no prefix: SM)\n"
    "  --sent FILE          every accepted SMS-SUBMIT PDU is appended here, one hex PDU a line;\n"
    "                       a text sent in text mode as \"TEXT <address> <text>\"\n"
    "  --smsc NUMBER        the SMS-centre number AT+CSCA? reports (default +79001111111)\n"
    "  --status-reports     an accepted SMS-SUBMIT that asks for a report puts an\n"
    "                       SMS-STATUS-REPORT for it into ME (routed as AT+CNMI says)\n"
    "  --report-status ST[:DIGITS]  the reports carry TP-ST ST (decimal, e.g. 70 for 0x46,\n"
    "                       validity expired) instead of 0 (delivered), for recipients ending in\n"
    "                       DIGITS or for all; may be repeated, the first that fits decides\n"
    "  --first-reference N  the message reference (0-255) of the first accepted message; the\n"
    "                       next ones count up and wrap from 255 to 0 (default 0)\n"
    "  --pin CODE           the SIM asks for PIN CODE: AT+CPIN? answers SIM PIN and other\n"
    "                       commands +CME ERROR: 11 until AT+CPIN=CODE\n"
    "  --control PATH       a FIFO created at PATH; each line written to it adds a message,\n"
    "                       in the --inbox form, and raises +CMTI/+CDSI as AT+CNMI asks. The\n"
    "                       modem prints \"added STORAGE INDEX\" once the message is there. The\n"
    "                       line \"count\" prints \"stored ME n SM m\"\n"
    "\n"
    "Faults:\n"
    "  --latency MS         wait MS milliseconds before each answer (the echo comes at once)\n"
    "  --chunk N[:MS]       send echo and answers in pieces of N bytes, MS ms apart (default 5)\n"
    "  --silent             never answer, not even the echo\n"
    "  --fail CMD[:K]       answer ERROR to the K-th (or every) command CMD, e.g. CMGD, CSQ, Z;\n"
    "                       for CMGS the prompt comes and the PDU gets \"+CMS ERROR: 500\".\n"
    "                       May be given more than once\n"
    "  --drop-after N       close the terminal and remove the link after answering N commands,\n"
    "                       as a modem pulled from USB\n"
    "\n"
    "Profiles of real modems (--profile NAME[,NAME...], may be repeated):\n"
    "%PROFILES%"
    "  --cmgs-delay MS      slow-network's wait before +CMGS (default 3000)\n"
    "  --prompt-delay MS    late-prompt's wait before the prompt (default 2500)\n"
    "\n"
    "On standard output: \"ready PATH\" once the link exists, \"profile NAME: ...\" for each\n"
    "profile, a line for each fault or quirk as it acts (\"dropped\", \"back PATH\",\n"
    "\"slow-network: ...\", ...).\n";

std::string Usage() {
    std::string usage = kUsage;
    const std::string mark = "%PROFILES%";
    return usage.replace(usage.find(mark), mark.size(), ProfileHelp());
}

bool ParseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 0 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseFail(const std::string& v, EngineOptions& e) {
    FailRule rule;
    const size_t colon = v.find(':');
    for (char c : v.substr(0, colon))
        if (c != '+')
            rule.command += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    e.failures.push_back(rule);
    return !rule.command.empty() && (colon == std::string::npos ||
                                     (ParseInt(v.substr(colon + 1), e.failures.back().occurrence) &&
                                      e.failures.back().occurrence > 0));
}

bool ParseReportStatus(const std::string& v, EngineOptions& e) {
    ReportRule rule;
    const size_t colon = v.find(':');
    if (colon != std::string::npos)
        rule.digits = v.substr(colon + 1);
    e.reportStatuses.push_back(rule);
    return ParseInt(v.substr(0, colon), e.reportStatuses.back().status) &&
           e.reportStatuses.back().status <= 255 &&
           rule.digits.find_first_not_of("0123456789") == std::string::npos;
}

// One option with its value; false when the value is bad.
bool ParseValue(const std::string& a, const std::string& v, Options& o) {
    if (a == "--link")
        o.link = v;
    else if (a == "--inbox")
        o.inbox = v;
    else if (a == "--sent")
        o.sent = v;
    else if (a == "--smsc")
        o.engine.smsc = v;
    else if (a == "--control")
        o.control = v;
    else if (a == "--pin")
        o.engine.pin = v;
    else if (a == "--latency")
        return ParseInt(v, o.latencyMs);
    else if (a == "--cmgs-delay")
        return ParseInt(v, o.engine.cmgsDelayMs);
    else if (a == "--prompt-delay")
        return ParseInt(v, o.engine.promptDelayMs);
    else if (a == "--drop-after")
        return ParseInt(v, o.dropAfter) && o.dropAfter > 0;
    else if (a == "--fail")
        return ParseFail(v, o.engine);
    else if (a == "--report-status")
        return ParseReportStatus(v, o.engine);
    else if (a == "--first-reference")
        return ParseInt(v, o.engine.firstReference) && o.engine.firstReference <= 255;
    else if (a == "--profile") {
        std::string unknown;
        return AddProfiles(v, o.engine.quirks, unknown);
    } else if (a == "--chunk") {
        const size_t colon = v.find(':');
        return ParseInt(v.substr(0, colon), o.chunk) && o.chunk > 0 &&
               (colon == std::string::npos || ParseInt(v.substr(colon + 1), o.chunkGapMs));
    }
    return true;
}

bool TakesValue(const std::string& a) {
    for (const char* known :
         {"--link", "--inbox", "--sent", "--smsc", "--control", "--pin", "--latency",
          "--cmgs-delay", "--prompt-delay", "--drop-after", "--fail", "--profile", "--chunk",
          "--report-status", "--first-reference"})
        if (a == known)
            return true;
    return false;
}
}  // namespace

int ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << Usage();
            return 0;
        }
        if (a == "--silent" || a == "--status-reports") {
            (a == "--silent" ? o.silent : o.engine.statusReports) = true;
            continue;
        }
        if (!TakesValue(a)) {
            std::cerr << "pelorus-modemsim: unknown option " << a << "\n" << Usage();
            return 2;
        }
        if (i + 1 >= argc) {
            std::cerr << "pelorus-modemsim: " << a << " needs a value\n";
            return 2;
        }
        const std::string v = argv[++i];
        if (!ParseValue(a, v, o)) {
            std::cerr << "pelorus-modemsim: bad value for " << a << ": " << v << "\n";
            return 2;
        }
    }
    if (o.link.empty()) {
        std::cerr << Usage();
        return 2;
    }
    return -1;
}

}  // namespace modemsim
