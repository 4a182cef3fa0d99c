#include "StatusReport.h"

#include <cctype>

namespace modemsim {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Two decimal digits as one semi-octet pair (units first).
unsigned char SwappedDecimal(int value) {
    return static_cast<unsigned char>(((value % 10) << 4) | ((value / 10) % 10));
}
}  // namespace

std::vector<unsigned char> HexOctets(const std::string& hex) {
    std::vector<unsigned char> out;
    if (hex.empty() || hex.size() % 2 != 0)
        return out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]);
        const int lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return {};
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return out;
}

std::string OctetsHex(const std::vector<unsigned char>& octets) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char o : octets) {
        out += kDigits[o >> 4];
        out += kDigits[o & 15];
    }
    return out;
}

std::string SmscField(const std::string& number) {
    const bool international = !number.empty() && number[0] == '+';
    std::string digits;
    for (char c : number)
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    if (digits.empty())
        return "00";
    if (digits.size() % 2 != 0)
        digits += 'F';
    std::vector<unsigned char> field{static_cast<unsigned char>(1 + digits.size() / 2),
                                     static_cast<unsigned char>(international ? 0x91 : 0x81)};
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int lo = HexDigit(digits[i]);
        const int hi = HexDigit(digits[i + 1]);
        field.push_back(static_cast<unsigned char>((hi << 4) | lo));
    }
    return OctetsHex(field);
}

int TpduOctets(const std::string& hex) {
    const std::vector<unsigned char> o = HexOctets(hex);
    if (o.empty() || size_t(o[0]) + 1 >= o.size())
        return -1;
    return static_cast<int>(o.size() - 1 - o[0]);
}

Submit ReadSubmit(const std::string& hex, int announcedTpduOctets) {
    Submit s;
    const std::vector<unsigned char> o = HexOctets(hex);
    if (TpduOctets(hex) != announcedTpduOctets)
        return s;
    const size_t first = size_t(o[0]) + 1;  // TP-MTI and flags
    if ((o[first] & 0x03) != 0x01 || first + 3 >= o.size())
        return s;
    const size_t daStart = first + 2;  // after TP-MR
    const size_t daOctets = 2 + (size_t(o[daStart]) + 1) / 2;
    if (daStart + daOctets > o.size())
        return s;
    s.valid = true;
    s.wantsReport = (o[first] & 0x20) != 0;
    s.recipient.assign(o.begin() + static_cast<long>(daStart),
                       o.begin() + static_cast<long>(daStart + daOctets));
    return s;
}

std::string RecipientDigits(const Submit& submit) {
    std::string digits;
    const size_t count = submit.recipient.empty() ? 0 : submit.recipient[0];
    for (size_t i = 0; i < count && 2 + i / 2 < submit.recipient.size(); ++i) {
        const unsigned char octet = submit.recipient[2 + i / 2];
        digits += static_cast<char>('0' + ((i % 2 ? octet >> 4 : octet) & 0x0F));
    }
    return digits;
}

std::string StatusReportPdu(const std::string& smscNumber, const Submit& submit, int mr,
                            const std::tm& when, int status) {
    const unsigned char stamp[] = {SwappedDecimal(when.tm_year % 100),
                                   SwappedDecimal(when.tm_mon + 1),
                                   SwappedDecimal(when.tm_mday),
                                   SwappedDecimal(when.tm_hour),
                                   SwappedDecimal(when.tm_min),
                                   SwappedDecimal(when.tm_sec),
                                   0x00};
    std::string tpdu = OctetsHex({0x06, static_cast<unsigned char>(mr & 0xFF)});
    tpdu += OctetsHex(submit.recipient);
    const std::vector<unsigned char> times(stamp, stamp + 7);
    tpdu += OctetsHex(times) + OctetsHex(times);                     // TP-SCTS, TP-DT
    tpdu += OctetsHex({static_cast<unsigned char>(status & 0xFF)});  // TP-ST
    return SmscField(smscNumber) + tpdu;
}

}  // namespace modemsim
