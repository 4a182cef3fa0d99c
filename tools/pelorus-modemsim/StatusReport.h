#pragma once
// The few PDU facts the virtual modem needs: what an accepted SMS-SUBMIT asks for, and the
// SMS-STATUS-REPORT a network would return for it. Hex text is upper-case, two digits an octet.
#include <ctime>
#include <string>
#include <vector>

namespace modemsim {

// Octets of hex text; empty when the text is empty, odd or holds a non-hex character.
std::vector<unsigned char> HexOctets(const std::string& hex);
std::string OctetsHex(const std::vector<unsigned char>& octets);

// The SMSC address field of a PDU for a number ("+79001111111" -> "07919700111111F1").
std::string SmscField(const std::string& number);

// What the modem reads from a PDU given after AT+CMGS.
struct Submit {
    bool valid = false;                    // an SMS-SUBMIT whose TPDU has the announced length
    bool wantsReport = false;              // TP-SRR set
    std::vector<unsigned char> recipient;  // TP-DA as sent: length, type, digits
};
Submit ReadSubmit(const std::string& hex, int announcedTpduOctets);

// The octets of the TPDU (the PDU without its SMSC field); -1 when the PDU is malformed.
int TpduOctets(const std::string& hex);

// The recipient's digits as the submit gives them.
std::string RecipientDigits(const Submit& submit);

// An SMS-STATUS-REPORT with TP-ST status (0: delivered) for the submit with reference mr,
// stamped with when (both time stamps), preceded by the SMSC field of smscNumber.
std::string StatusReportPdu(const std::string& smscNumber, const Submit& submit, int mr,
                            const std::tm& when, int status = 0);

}  // namespace modemsim
