#include "Profiles.h"

#include <algorithm>

namespace modemsim {

namespace {
struct Profile {
    const char* name;
    Quirk quirk;
    const char* what;
};

// The rows are of replies.tsv, named by source file (and test) and command.
const Profile kProfiles[] = {
    // python-gsmmodem test_modem.py#test_cpmsNotSupported, AT+CPMS=? -> +CMS ERROR: 302;
    // fakemodems.py#WavecomMultiband900E1800, AT+CPMS=? -> no "ME" among the storages.
    {"no-me", Quirk::NoMeStorage, "no \"ME\" storage: AT+CPMS=\"ME\" gives +CMS ERROR: 302"},
    // python-gsmmodem test_modem.py#initFakeModemResponses, AT+CMGL=4 -> ERROR in text mode,
    // AT+CMGL="ALL" -> text listing; gammu at-sms-txt/timezone.dump, AT+CMGR=3 (text form).
    {"text-mode", Quirk::TextModeAtStart, "starts (and resets) in text mode, AT+CMGF=1"},
    // gammu at-sms-txt-detail/sample.dump, AT+CMGR=303 ("+CMGR:" without blank);
    // gammu at-cnmi/03.dump, AT+CNMI=?; python-gsmmodem test_signalStrength, AT+CSQ ("+CSQ:4,0").
    {"tight-header", Quirk::HeaderWithoutBlank, "no blank after the colon: \"+CMGL:1,0,,23\""},
    // python-gsmmodem test_modem.py#initFakeModemResponses, AT+CMGL=4 ("+CMGL: 0,0,,35");
    // ModemManager test_cmgl_response_generic, AT+CMGL=4; gammu at-sms/07.dump, AT+CMGR=0.
    {"index-0", Quirk::IndexFromZero, "message indexes start at 0"},
    // gammu at-model/06.dump, AT+CGMM (echo ends CR CR LF); gammu at-statemachine.c,
    // AT+CPMS="SM","SM"; python-gsmmodem fakemodems.py#HuaweiE1752, AT+CLAC (every line CR CR LF).
    {"cr-cr-lf", Quirk::CrCrLf, "every line ends CR CR LF"},
    // gammu at-cpms/alcatel-s320.dump, AT+CPMS=? (a blank line after the echo); gammu
    // at-cpms/generic.dump, AT+CPMS=? and at-creg/empty.dump, AT+CREG? (blank lines after OK).
    {"blank-lines", Quirk::BlankLines, "a blank line after the echo and after the result"},
    // gammu at-statemachine.c, AT+CPMS="SM","SM" (+CMTI and ^NWTIME before the echo);
    // ModemManager test-at-serial-port.c#parse_ok_tests, (any command) (+CMTI after OK).
    {"urcs", Quirk::Urcs,
     "^NWTIME before AT+CPMS's echo, +CMTI after AT+CMGD's OK and amid listings"},
    // python-gsmmodem test_modem.py#test_receiveStatusReportPduMode, AT+CMGR=1 (after +CDS) and
    // AT+CMGR=3 (the report PDU); test_sendSms_waitForDeliveryReport, AT+CMGS=<len> (+CDSI).
    {"routed", Quirk::RoutedInListing,
     "a routed +CDS and +CMT, each with its PDU line, amid the first listing"},
    // gammu at-sms/41.dump, AT+CMGR=1 (PDU in lower-case hex).
    {"lower-hex", Quirk::LowerHex, "PDUs listed and read in lower-case hex"},
    // python-gsmmodem test_modem.py#test_sendSms (PDU mode), AT+CMGS=23 ("> " then CR LF).
    {"prompt-crlf", Quirk::PromptCrLf, "the prompt \"> \" is followed by CR LF"},
    // python-gsmmodem test_modem.py#test_sendSmsResponseMixedWithUnsolictedMessages (ZTE),
    // AT+CMGS=<len> and <PDU hex>\x1A: +ZDONR/+ZPASR before the prompt and before +CMGS.
    {"vendor-urcs", Quirk::VendorUrcs, "+ZDONR/+ZPASR lines before the prompt and before +CMGS"},
    // gammu at-dispatch.c, AT+CSQ (echo twice) and AT+CPMS="ME" (echo twice, first with a bare CR).
    {"double-echo", Quirk::DoubledEcho, "every command line is echoed twice"},
    // gammu at-sms/02.dump, AT+CMGR=1 ("+CMGR: 3,,29": a stored SMS-SUBMIT); gammu
    // at-sms-txt-detail/unsent.dump, AT+CMGR=1 (STO UNSENT).
    {"stored-submit", Quirk::StoredSubmit, "a stored, sent SMS-SUBMIT (stat 3) in SM at start"},
    // No reply row holds a network's time; python-gsmmodem test_sendSms shows the +CMGS form.
    {"slow-network", Quirk::SlowNetwork, "+CMGS comes --cmgs-delay ms (3000) after the PDU"},
    // python-gsmmodem test_modem.py#test_sendSms: the prompt is a reply like any other line.
    {"late-prompt", Quirk::LatePrompt, "the prompt comes --prompt-delay ms (2500) after AT+CMGS"},
    // The pulled-modem case (--drop-after) in the middle of the first listing of two or more
    // messages; the modem comes back on a new terminal.
    {"drop-listing", Quirk::DropInListing,
     "drops the line amid the first listing, back 300 ms later"},
};
}  // namespace

bool AddProfiles(const std::string& list, Quirks& quirks, std::string& unknown) {
    size_t from = 0;
    while (from <= list.size()) {
        const size_t comma = std::min(list.find(',', from), list.size());
        const std::string name = list.substr(from, comma - from);
        from = comma + 1;
        bool found = false;
        for (const Profile& p : kProfiles)
            if (name == p.name) {
                quirks.set(static_cast<size_t>(p.quirk));
                found = true;
            }
        if (!found) {
            unknown = name;
            return false;
        }
    }
    return true;
}

std::string ProfileHelp() {
    std::string out;
    for (const Profile& p : kProfiles) {
        std::string name = p.name;
        name.resize(16, ' ');
        out += "  " + name + p.what + "\n";
    }
    return out;
}

std::string ProfileNotices(const Quirks& quirks) {
    std::string out;
    for (const Profile& p : kProfiles)
        if (Has(quirks, p.quirk))
            out += std::string("profile ") + p.name + ": " + p.what + "\n";
    return out;
}

}  // namespace modemsim
