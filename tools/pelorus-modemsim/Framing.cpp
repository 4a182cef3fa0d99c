#include "Framing.h"

#include <map>

namespace modemsim {

namespace {
// Verbose texts of the error numbers this modem gives (TS 27.007 9.2, TS 27.005 3.2.5).
const std::map<int, std::string> kCmeTexts = {
    {3, "operation not allowed"}, {4, "operation not supported"}, {11, "SIM PIN required"},
    {16, "incorrect password"},   {21, "invalid index"},          {30, "no network service"},
    {50, "incorrect parameters"}};
const std::map<int, std::string> kCmsTexts = {{302, "operation not allowed"},
                                              {303, "operation not supported"},
                                              {304, "invalid PDU mode parameter"},
                                              {305, "invalid text mode parameter"},
                                              {321, "invalid memory index"},
                                              {322, "memory full"},
                                              {500, "unknown error"}};

std::string Text(const std::map<int, std::string>& texts, int code) {
    auto it = texts.find(code);
    return it == texts.end() ? std::to_string(code) : it->second;
}

// The result line (verbose) or digit (numeric), or "" when none is sent.
std::string ResultText(const ModemState& s, const Reply& r) {
    const bool numbered =
        s.cmee > 0 || r.final == Final::Cms || (r.final == Final::Cme && r.code == 11);
    switch (r.final) {
        case Final::Ok:
            return s.verbose ? "OK" : "0";
        case Final::Error:
            return s.verbose ? "ERROR" : "4";
        case Final::Cme:
            if (!numbered)
                return s.verbose ? "ERROR" : "4";
            return "+CME ERROR: " +
                   (s.cmee == 2 ? Text(kCmeTexts, r.code) : std::to_string(r.code));
        case Final::Cms:
            return "+CMS ERROR: " +
                   (s.cmee == 2 ? Text(kCmsTexts, r.code) : std::to_string(r.code));
        default:
            return "";
    }
}

// "+CMGL: 1" -> "+CMGL:1" (tight-header).
std::string Tight(const std::string& line) {
    const size_t colon = line.find(": ");
    if (line.empty() || (line[0] != '+' && line[0] != '^') || colon == std::string::npos ||
        line.find(' ') < colon)
        return line;
    return line.substr(0, colon + 1) + line.substr(colon + 2);
}

std::string LineEnd(const ModemState& s) {
    return s.has(Quirk::CrCrLf) ? "\r\r\n" : "\r\n";
}

std::string Info(const ModemState& s, const std::vector<std::string>& lines, size_t count) {
    const std::string eol = LineEnd(s);
    std::string out;
    for (size_t i = 0; i < count && i < lines.size(); ++i) {
        const std::string line = s.has(Quirk::HeaderWithoutBlank) ? Tight(lines[i]) : lines[i];
        out += (s.verbose && i == 0 ? eol : "") + line + eol;
    }
    return out;
}
}  // namespace

std::string FrameUnsolicited(const ModemState& state, const std::vector<std::string>& lines) {
    return Info(state, lines, lines.size());
}

std::string FrameReply(const ModemState& s, const Reply& r) {
    const std::string eol = LineEnd(s);
    const bool blank = s.has(Quirk::BlankLines) && s.verbose;
    std::string out = blank ? eol : "";
    if (r.hangUpAfterLines >= 0)
        return out + Info(s, r.lines, static_cast<size_t>(r.hangUpAfterLines));
    out += Info(s, r.lines, r.lines.size());
    if (r.final == Final::Prompt) {
        // python-gsmmodem test_sendSms: "> " with CR LF after it on some modems.
        return out + eol + "> " + (s.has(Quirk::PromptCrLf) ? "\r\n" : "");
    }
    const std::string result = ResultText(s, r);
    if (!result.empty() && !s.quiet)
        out += s.verbose ? eol + result + eol + (blank ? eol : "") : result + "\r";
    return out + Info(s, r.after, r.after.size());
}

}  // namespace modemsim
