#include "TextMode.h"

#include <QString>

#include "StatusReport.h"
#include "pdu/PduDecoder.h"

namespace modemsim {

namespace {
const char* kStats[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};

std::string TwoDigits(int v) {
    return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10);
}

// "yy/MM/dd,hh:mm:ss+zz" of an SMS-DELIVER's TP-SCTS; "" when the PDU is not one.
std::string DeliverTimeStamp(const std::string& hex) {
    const std::vector<unsigned char> o = HexOctets(hex);
    size_t at = o.empty() ? 0 : size_t(o[0]) + 1;
    if (at + 2 >= o.size() || (o[at] & 0x03) != 0)
        return "";
    at += 1;
    at += 2 + (size_t(o[at]) + 1) / 2 + 2;  // TP-OA, TP-PID, TP-DCS
    if (at + 7 > o.size())
        return "";
    auto swapped = [&](size_t i) { return (o[i] & 0x0F) * 10 + (o[i] >> 4); };
    const int quarters = (o[at + 6] & 0x07) * 10 + (o[at + 6] >> 4);
    return TwoDigits(swapped(at)) + "/" + TwoDigits(swapped(at + 1)) + "/" +
           TwoDigits(swapped(at + 2)) + "," + TwoDigits(swapped(at + 3)) + ":" +
           TwoDigits(swapped(at + 4)) + ":" + TwoDigits(swapped(at + 5)) +
           ((o[at + 6] & 0x08) ? "-" : "+") + TwoDigits(quarters);
}

std::string Body(const ModemState& s, const QString& text) {
    if (s.charset != "UCS2")
        return text.toStdString();
    std::string hex;
    for (QChar c : text)
        hex += QString::number(c.unicode(), 16).rightJustified(4, u'0').toUpper().toStdString();
    return hex;
}
}  // namespace

std::string TextStat(int stat) {
    return stat >= 0 && stat <= 4 ? kStats[stat] : "";
}

int StatOfText(const std::string& name) {
    for (int i = 0; i <= 4; ++i)
        if (Upper(name) == kStats[i])
            return i;
    return -1;
}

std::vector<std::string> TextEntry(const ModemState& s, const Message& m) {
    const DecodedPdu d = DecodePdu(QString::fromStdString(m.pdu));
    const std::string number = "\"" + d.number.toStdString() + "\"";
    std::string fields = "\"" + TextStat(m.stat) + "\"," + number + ",";
    if (d.kind == PduKind::Deliver)
        fields += ",\"" + DeliverTimeStamp(m.pdu) + "\"";
    return {fields, Body(s, d.text)};
}

}  // namespace modemsim
