#pragma once
// How a modem in text mode (AT+CMGF=1) shows a stored message: the header fields and the body
// instead of the PDU. The PDU is read with the gateway's own decoder.
#include <string>
#include <vector>

#include "ModemState.h"

namespace modemsim {

// "REC UNREAD", "REC READ", "STO UNSENT", "STO SENT" for stat 0..3, "ALL" for 4.
std::string TextStat(int stat);
// The stat of such a name (4 for "ALL"), -1 for anything else.
int StatOfText(const std::string& name);
// The header fields after "+CMGL: <index>," or "+CMGR: ", and the body, of a stored message
// (python-gsmmodem initFakeModemResponses, AT+CMGL="ALL"; gammu at-sms-txt/timezone.dump).
std::vector<std::string> TextEntry(const ModemState& s, const Message& m);

}  // namespace modemsim
