// Listing, reading, deleting, writing and sending messages (TS 27.005 3.4, 3.5).
#include <algorithm>
#include <cctype>

#include "MessageInput.h"
#include "StatusReport.h"
#include "TextMode.h"

namespace modemsim {

namespace {
using Form = AtCommand::Form;

// python-gsmmodem test_receiveStatusReportPduMode, AT+CMGR=3: a status report, as a routed +CDS.
const char kRoutedReport[] = "07917248014000F506B70AA18092020000317071518590803170715185418000";
// python-gsmmodem initFakeModemResponses, AT+CMGR=0: a message, as a routed +CMT.
const char kRoutedDeliver[] =
    "07917248014000F3240B917247587706F400003110824115248012C8329BFD06C9C373B8B82C97E741F034";

std::string Hex(const ModemState& s, std::string pdu) {
    if (s.has(Quirk::LowerHex))
        for (char& c : pdu)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return pdu;
}

// The header fields after "+CMGL: <index>," or "+CMGR: ", then the PDU or the text.
std::vector<std::string> Entry(const ModemState& s, const Message& m) {
    if (s.textMode)
        return TextEntry(s, m);
    return {std::to_string(m.stat) + ",," + std::to_string(TpduOctets(m.pdu)), Hex(s, m.pdu)};
}

// The stat a listing asks for: a number in PDU mode, a name in text mode (python-gsmmodem
// initFakeModemResponses: AT+CMGL=4 -> ERROR in text mode); -1 when refused.
int ListedStat(const ModemState& s, const AtCommand& c) {
    if (c.form == Form::Action)
        return 0;
    const std::string arg = SplitArgs(c.args).front();
    if (s.textMode)
        return c.args.find('"') == std::string::npos ? -1 : StatOfText(arg);
    return c.args.find('"') == std::string::npos ? Decimal(arg) : -1;
}

// Lines a quirky modem puts amid a listing after its first message. A routed message comes
// once, as the network delivers it; the +CMTI of the urcs profile comes in every listing.
void AddListingExtras(ModemState& s, std::vector<std::string>& lines, int firstIndex) {
    if (s.has(Quirk::Urcs))
        lines.push_back("+CMTI: \"" + s.mem[2] + "\"," + std::to_string(firstIndex));
    if (s.has(Quirk::RoutedInListing) && !s.routed) {
        s.routed = true;
        s.notice("routed: +CDS and +CMT amid AT+CMGL");
        lines.push_back("+CDS: " + std::to_string(TpduOctets(kRoutedReport)));
        lines.push_back(Hex(s, kRoutedReport));
        lines.push_back("+CMT: ," + std::to_string(TpduOctets(kRoutedDeliver)));
        lines.push_back(Hex(s, kRoutedDeliver));
    }
}

Reply List(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Test)
        return Lines({s.textMode ? "+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO "
                                   "SENT\",\"ALL\")"
                                 : "+CMGL: (0-4)"});
    const int stat = ListedStat(s, c);
    if (stat < 0 || stat > 4)
        return Failed(Final::Error, 0);
    Reply r;
    int listed = 0;
    for (auto& [index, m] : s.storages.at(s.mem[0]).messages) {
        if (stat != 4 && m.stat != stat)
            continue;
        std::vector<std::string> entry = Entry(s, m);
        r.lines.push_back("+CMGL: " + std::to_string(index) + "," + entry[0]);
        r.lines.push_back(entry[1]);
        if (++listed == 1)
            AddListingExtras(s, r.lines, index);
        if (m.stat == 0)
            m.stat = 1;
    }
    if (s.has(Quirk::DropInListing) && !s.dropped && listed >= 2) {
        s.dropped = true;
        r.hangUpAfterLines = 2;
        s.notice("drop-listing: line dropped amid AT+CMGL");
    }
    return r;
}

Reply Read(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Test)
        return Lines({});
    const int index = c.form == Form::Set ? Decimal(SplitArgs(c.args).front()) : -1;
    auto& messages = s.storages.at(s.mem[0]).messages;
    auto it = messages.find(index);
    // gammu atgen/get-next-sms-locations.c, AT+CMGR=2: "+CMS ERROR: 321" for an empty index.
    if (it == messages.end())
        return Failed(Final::Cms, 321);
    std::vector<std::string> entry = Entry(s, it->second);
    if (it->second.stat == 0)
        it->second.stat = 1;
    return Lines({"+CMGR: " + entry[0], entry[1]});
}

// Which stats a delete flag takes: 1 read, 2 read and sent, 3 and unsent, 4 all.
bool DeletedByFlag(int flag, int stat) {
    return flag == 4 || (stat == 1) || (flag >= 2 && stat == 3) || (flag >= 3 && stat == 2);
}

Reply Delete(ModemState& s, const AtCommand& c) {
    auto& messages = s.storages.at(s.mem[0]).messages;
    if (c.form == Form::Test) {
        // gammu atgen/get-next-sms-locations.c, AT+CMGD=?: "+CMGD: (1-3),(0-4)".
        std::string used;
        for (const auto& entry : messages)
            used += (used.empty() ? "" : ",") + std::to_string(entry.first);
        return Lines({"+CMGD: (" + used + "),(0-4)"});
    }
    const std::vector<std::string> a = SplitArgs(c.args);
    const int index = Decimal(a[0]);
    const int flag = a.size() > 1 ? Decimal(a[1]) : 0;
    if (c.form != Form::Set || flag < 0 || flag > 4 || (flag == 0 && index < 0))
        return Failed(Final::Cms, 302);
    Reply r;
    if (flag == 0 && messages.erase(index) == 0)
        r = Failed(Final::Cms, 321);
    for (auto it = messages.begin(); flag > 0 && it != messages.end();)
        it = DeletedByFlag(flag, it->second.stat) ? messages.erase(it) : std::next(it);
    // ModemManager test-at-serial-port.c#parse_ok_tests: +CMTI after the OK, same chunk.
    if (s.has(Quirk::Urcs))
        r.after.push_back("+CMTI: \"" + s.mem[2] + "\"," + std::to_string(s.firstIndex()));
    return r;
}

// AT+CMGS / AT+CMGW: the prompt, and the modem waits for the PDU (or, in text mode, the text).
Reply Prompt(ModemState& s, const AtCommand& c, bool send) {
    if (c.form == Form::Test)
        return Lines({});
    const std::vector<std::string> a = SplitArgs(c.args);
    if (s.textMode) {
        if (!send)
            return Failed(Final::Cms, 303);
        // In text mode the argument is the address: AT+CMGS=23 sends to "23".
        if (c.form != Form::Set || a[0].empty())
            return Failed(Final::Cms, 305);
        s.input = ModemState::Input::SendText;
        s.inputArgument = a[0];
    } else {
        const int length = c.form == Form::Set ? Decimal(a[0]) : -1;
        if (length < 1 || length > 176)
            return Failed(Final::Cms, 304);
        s.input = send ? ModemState::Input::SendPdu : ModemState::Input::WritePdu;
        s.inputLength = length;
        s.inputArgument.clear();
        if (!send)
            s.inputArgument = a.size() > 1 ? a[1] : "2";  // the stat to store with
    }
    Reply r;
    r.final = Final::Prompt;
    if (s.has(Quirk::VendorUrcs) && send)
        r.lines = VendorUrcs(2);
    if (s.has(Quirk::LatePrompt)) {
        r.delayMs = s.options.promptDelayMs;
        s.notice("late-prompt: prompt in " + std::to_string(r.delayMs) + " ms");
    }
    return r;
}

Reply Send(ModemState& s, const AtCommand& c) {
    return Prompt(s, c, true);
}
Reply Write(ModemState& s, const AtCommand& c) {
    return Prompt(s, c, false);
}

// AT+CMSS=<index>: sends a stored message again from the write storage.
Reply SendStored(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Test)
        return Lines({});
    auto& messages = s.storages.at(s.mem[1]).messages;
    auto it = messages.find(c.form == Form::Set ? Decimal(SplitArgs(c.args).front()) : -1);
    if (it == messages.end())
        return Failed(Final::Cms, 321);
    const Submit submit = ReadSubmit(it->second.pdu, TpduOctets(it->second.pdu));
    if (!submit.valid)
        return Failed(Final::Cms, 302);
    return AcceptSubmit(s, it->second.pdu, submit, &it->second, "+CMSS: ");
}
}  // namespace

void AddMessageCommands(CommandTable& t) {
    t["CMGL"] = List;
    t["CMGR"] = Read;
    t["CMGD"] = Delete;
    t["CMGS"] = Send;
    t["CMGW"] = Write;
    t["CMSS"] = SendStored;
}

}  // namespace modemsim
