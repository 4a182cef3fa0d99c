#pragma once
// What follows a prompt: the PDU (or text) the terminal gives, ended by Ctrl-Z or ESC.
#include <string>
#include <vector>

#include "ModemState.h"
#include "StatusReport.h"

namespace modemsim {

// The answer to the input after AT+CMGS or AT+CMGW; ESC abandons it with OK.
Reply FinishInput(ModemState& s, const std::string& text, bool escape);
// Sends a valid SMS-SUBMIT: reference, --sent, status report; "+CMGS: mr" or "+CMSS: mr".
Reply AcceptSubmit(ModemState& s, const std::string& pdu, const Submit& submit, Message* stored,
                   const std::string& resultPrefix);
// python-gsmmodem test_sendSmsResponseMixedWithUnsolictedMessages (ZTE), AT+CMGS=<len>: n of
// the +ZDONR/+ZPASR pairs it sends around the prompt and the result.
std::vector<std::string> VendorUrcs(int n);

}  // namespace modemsim
