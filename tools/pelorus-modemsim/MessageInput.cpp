#include "MessageInput.h"

#include <ctime>

namespace modemsim {

std::vector<std::string> VendorUrcs(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; i += 2) {
        lines.push_back(std::string("+ZDONR: \"METEOR\",272,3,") +
                        (i ? "\"CS_PS\"" : "\"CS_ONLY\"") + ",\"ROAM_OFF\"");
        lines.push_back("+ZPASR: \"UMTS\"");
    }
    return lines;
}

namespace {
// The network's report for a submit that asked for one, stored or routed as AT+CNMI says
// (python-gsmmodem test_sendSms_waitForDeliveryReport: "+CDSI: "SM",3" after the OK).
void AddStatusReport(ModemState& s, const Submit& submit, int reference, Reply& r) {
    const std::time_t now = std::time(nullptr);
    std::tm when{};
    gmtime_r(&now, &when);
    const std::string digits = RecipientDigits(submit);
    int status = 0;
    for (const ReportRule& rule : s.options.reportStatuses) {
        if (digits.size() >= rule.digits.size() &&
            digits.compare(digits.size() - rule.digits.size(), rule.digits.size(), rule.digits) ==
                0) {
            status = rule.status;
            break;
        }
    }
    const std::string pdu = StatusReportPdu(s.options.smsc, submit, reference, when, status);
    if (s.cnmi[3] == 1) {
        r.after = {"+CDS: " + std::to_string(TpduOctets(pdu)), pdu};
        return;
    }
    const std::string storage = s.storageName("ME");
    const int index = s.store(storage, Message{0, pdu});
    if (index >= 0 && s.cnmi[3] == 2)
        r.after = {"+CDSI: \"" + storage + "\"," + std::to_string(index)};
}

Reply Delayed(ModemState& s, Reply r) {
    if (s.has(Quirk::VendorUrcs)) {
        const std::vector<std::string> urcs = VendorUrcs(4);
        r.lines.insert(r.lines.begin(), urcs.begin(), urcs.end());
    }
    if (s.has(Quirk::SlowNetwork)) {
        r.delayMs = s.options.cmgsDelayMs;
        s.notice("slow-network: result in " + std::to_string(r.delayMs) + " ms");
    }
    return r;
}
}  // namespace

Reply AcceptSubmit(ModemState& s, const std::string& pdu, const Submit& submit, Message* stored,
                   const std::string& resultPrefix) {
    const int reference = s.takeReference();
    if (s.sinks.submitAccepted)
        s.sinks.submitAccepted(pdu);
    if (stored)
        stored->stat = 3;
    Reply r = Lines({resultPrefix + std::to_string(reference)});
    if (s.options.statusReports && submit.wantsReport)
        AddStatusReport(s, submit, reference, r);
    return Delayed(s, r);
}

Reply FinishInput(ModemState& s, const std::string& text, bool escape) {
    const ModemState::Input input = s.input;
    s.input = ModemState::Input::None;
    if (escape)
        return Lines({});
    if (input == ModemState::Input::SendText) {
        if (s.inputFails)
            return Delayed(s, Failed(Final::Cms, 500));
        if (s.sinks.textSent)
            s.sinks.textSent("TEXT " + s.inputArgument + " " + text);
        s.notice("text-mode: sent a text to " + s.inputArgument);
        return Delayed(s, Lines({"+CMGS: " + std::to_string(s.takeReference())}));
    }
    if (input == ModemState::Input::WritePdu) {
        const int stat = Decimal(s.inputArgument);
        if (TpduOctets(text) != s.inputLength || stat < 0 || stat > 3)
            return Failed(Final::Cms, 304);
        const int index = s.store(s.mem[1], Message{stat, text});
        return index < 0 ? Failed(Final::Cms, 322) : Lines({"+CMGW: " + std::to_string(index)});
    }
    const Submit submit = ReadSubmit(text, s.inputLength);
    if (!submit.valid)
        return Failed(Final::Cms, 304);
    if (s.inputFails)
        return Delayed(s, Failed(Final::Cms, 500));
    return AcceptSubmit(s, text, submit, nullptr, "+CMGS: ");
}

}  // namespace modemsim
