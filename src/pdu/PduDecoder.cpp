#include "pdu/PduDecoder.h"

#include <array>
#include <cstdint>

#include "pdu/Gsm7.h"
#include "pdu/PduPrimitives.h"

namespace {

// Longest input taken: a PDU is at most 12 + 164 octets; phones may pad the line.
constexpr int kMaxOctets = 512;

// Reads octets in order; every read past the end sets `failed` and gives zeros.
class OctetReader {
public:
    OctetReader(const std::uint8_t* data, int size) : data_(data), size_(size) {}
    bool failed() const { return failed_; }
    int remaining() const { return size_ - pos_; }
    const std::uint8_t* here() const { return data_ + pos_; }
    int take() {
        if (pos_ >= size_) {
            failed_ = true;
            return 0;
        }
        return data_[pos_++];
    }
    // Skips n octets; returns where they began, or nullptr when they are not all there.
    const std::uint8_t* skip(int n) {
        if (n < 0 || n > remaining()) {
            failed_ = true;
            pos_ = size_;
            return nullptr;
        }
        const std::uint8_t* start = data_ + pos_;
        pos_ += n;
        return start;
    }

private:
    const std::uint8_t* data_;
    int size_;
    int pos_ = 0;
    bool failed_ = false;
};

// Hex digit values for the first 128 codes: -1 not a digit, -2 a blank to skip.
constexpr std::array<signed char, 128> kHexValues = [] {
    std::array<signed char, 128> t{};
    for (auto& v : t)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<signed char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = t[c + ('a' - 'A')] = static_cast<signed char>(c - 'A' + 10);
    t[' '] = t['\t'] = t['\r'] = t['\n'] = -2;
    return t;
}();

int HexToOctets(QStringView hex, std::uint8_t* out) {
    int count = 0;
    const char16_t* p = hex.utf16();
    const char16_t* const end = p + hex.size();
    // Pairs of digits without blanks, the usual case, two characters per step.
    while (end - p >= 2 && count < kMaxOctets) {
        if ((p[0] | p[1]) >= 128)
            return -1;
        const int high = kHexValues[p[0]];
        const int low = kHexValues[p[1]];
        if ((high | low) < 0)
            break;
        out[count++] = static_cast<std::uint8_t>(high << 4 | low);
        p += 2;
    }
    // The rest, with blanks between digits allowed anywhere.
    int high = -1;
    for (; p != end; ++p) {
        const int v = *p < 128 ? kHexValues[*p] : -1;
        if (v < 0) {
            if (v == -2)
                continue;
            return -1;
        }
        if (high < 0) {
            high = v;
            continue;
        }
        if (count >= kMaxOctets)
            return -1;
        out[count++] = static_cast<std::uint8_t>(high << 4 | v);
        high = -1;
    }
    return high < 0 ? count : -1;
}

bool IsInternational(int typeOfAddress) {
    return (typeOfAddress & 0x70) == 0x10;
}
bool IsAlphanumeric(int typeOfAddress) {
    return (typeOfAddress & 0x70) == 0x50;
}

void AppendNumber(QString& out, int typeOfAddress, const std::uint8_t* octets, int digits) {
    AppendAddressDigits(out, octets, digits, IsInternational(typeOfAddress));
}

// SMS-centre field: a length octet counting the type of address and the number octets.
bool ReadSmsc(OctetReader& in, QString& out) {
    const int length = in.take();
    if (length == 0)
        return !in.failed();
    const int typeOfAddress = in.take();
    const std::uint8_t* digits = in.skip(length - 1);
    if (in.failed())
        return false;
    AppendNumber(out, typeOfAddress, digits, (length - 1) * 2);
    return true;
}

// Originating, destination or recipient address: a length octet counting useful semi-octets.
bool ReadAddress(OctetReader& in, QString& out) {
    const int semiOctets = in.take();
    const int typeOfAddress = in.take();
    if (semiOctets > 20)
        return false;
    const int octets = (semiOctets + 1) / 2;
    const std::uint8_t* field = in.skip(octets);
    if (in.failed())
        return false;
    if (IsAlphanumeric(typeOfAddress)) {
        std::uint8_t septets[24];
        const int count = semiOctets * 4 / 7;
        if (!UnpackSeptets(field, octets, 0, count, septets))
            return false;
        AppendGsm7Text(out, septets, count);
    } else {
        AppendNumber(out, typeOfAddress, field, semiOctets);
    }
    return true;
}

void SkipValidity(OctetReader& in, int firstOctet) {
    switch ((firstOctet >> 3) & 3) {
        case 2:
            in.skip(1);
            break;  // relative
        case 1:     // enhanced
        case 3:
            in.skip(7);
            break;  // absolute
        default:
            break;
    }
}

// Reads the header's information elements; false when one runs past the header.
bool ReadHeader(const std::uint8_t* header, int length, DecodedPdu& out) {
    int i = 0;
    while (i < length) {
        if (i + 2 > length)
            return false;
        const int iei = header[i];
        const int ieLength = header[i + 1];
        const std::uint8_t* data = header + i + 2;
        if (i + 2 + ieLength > length)
            return false;
        if (iei == 0x00 && ieLength == 3) {
            out.hasConcat = true;
            out.concat = {data[0], data[1], data[2]};
        } else if (iei == 0x08 && ieLength == 4) {
            out.hasConcat = true;
            out.concat = {data[0] << 8 | data[1], data[2], data[3]};
        }
        i += 2 + ieLength;
    }
    return true;
}

void AppendUcs2(QString& out, const std::uint8_t* octets, int count) {
    const int units = count / 2;
    const int start = out.size();
    out.resize(start + units);
    QChar* dst = out.data() + start;
    for (int i = 0; i < units; ++i)
        dst[i] = QChar(char16_t(octets[2 * i] << 8 | octets[2 * i + 1]));
}

void AppendHex(QString& out, const std::uint8_t* octets, int count) {
    out.reserve(out.size() + count * 2);
    for (int i = 0; i < count; ++i)
        AppendHexOctet(out, octets[i]);
}

// User data length, optional header and the text, as the coding scheme and TP-UDHI say.
bool ReadUserData(OctetReader& in, bool hasHeader, DecodedPdu& out) {
    const int length = in.take();
    if (in.failed())
        return false;
    const bool septetCoded = out.alphabet == PduAlphabet::Gsm7;
    const int octets = septetCoded ? (length * 7 + 7) / 8 : length;
    const std::uint8_t* data = in.skip(octets);
    if (in.failed())
        return false;
    int headerOctets = 0;
    if (hasHeader && length > 0) {
        headerOctets = 1 + data[0];
        if (headerOctets > octets || !ReadHeader(data + 1, data[0], out))
            return false;
    }
    if (septetCoded) {
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        const int count = length - headerSeptets;
        if (count < 0)
            return false;
        std::uint8_t septets[kMaxOctets * 8 / 7 + 1];
        if (!UnpackSeptets(data, octets, headerSeptets * 7, count, septets))
            return false;
        AppendGsm7Text(out.text, septets, count);
    } else if (out.alphabet == PduAlphabet::Ucs2) {
        AppendUcs2(out.text, data + headerOctets, octets - headerOctets);
    } else {
        AppendHex(out.text, data + headerOctets, octets - headerOctets);
    }
    return true;
}

bool ReadDeliver(OctetReader& in, int firstOctet, DecodedPdu& out) {
    out.kind = PduKind::Deliver;
    if (!ReadAddress(in, out.number))
        return false;
    in.take();  // protocol identifier
    out.dcs = in.take();
    out.alphabet = AlphabetOfDcs(out.dcs);
    in.skip(7);  // service-centre time stamp
    return !in.failed() && ReadUserData(in, firstOctet & 0x40, out);
}

bool ReadSubmit(OctetReader& in, int firstOctet, DecodedPdu& out) {
    out.kind = PduKind::Submit;
    in.take();  // message reference
    if (!ReadAddress(in, out.number))
        return false;
    in.take();  // protocol identifier
    out.dcs = in.take();
    out.alphabet = AlphabetOfDcs(out.dcs);
    SkipValidity(in, firstOctet);
    return !in.failed() && ReadUserData(in, firstOctet & 0x40, out);
}

bool ReadStatusReport(OctetReader& in, DecodedPdu& out) {
    out.kind = PduKind::StatusReport;
    out.messageReference = in.take();
    if (!ReadAddress(in, out.number))
        return false;
    in.skip(7);  // service-centre time stamp
    const std::uint8_t* discharge = in.skip(7);
    out.status = in.take();
    if (in.failed())
        return false;
    out.dischargeTime = TimeStampText(discharge);
    return true;
}

}  // namespace

QString PduKindName(PduKind kind) {
    switch (kind) {
        case PduKind::Deliver:
            return QStringLiteral("deliver");
        case PduKind::StatusReport:
            return QStringLiteral("status-report");
        case PduKind::Submit:
            return QStringLiteral("submit");
        case PduKind::Invalid:
            break;
    }
    return QStringLiteral("invalid");
}

void DecodedPdu::clear() {
    kind = PduKind::Invalid;
    for (QString* s : {&smsc, &number, &text, &dischargeTime}) {
        if (!s->isEmpty())
            s->resize(0);
    }
    dcs = -1;
    alphabet = PduAlphabet::Gsm7;
    hasConcat = false;
    concat = {};
    status = -1;
    messageReference = -1;
}

PduAlphabet AlphabetOfDcs(int dcs) {
    const int group = dcs >> 4;
    if (group <= 0x7) {  // general data coding, with or without automatic deletion
        if (dcs & 0x20)  // compressed: not readable as text
            return PduAlphabet::EightBit;
        switch ((dcs >> 2) & 3) {
            case 1:
                return PduAlphabet::EightBit;
            case 2:
                return PduAlphabet::Ucs2;
            default:
                return PduAlphabet::Gsm7;
        }
    }
    if (group == 0xE)  // message waiting indication, UCS2 text
        return PduAlphabet::Ucs2;
    if (group == 0xF)  // data coding / message class
        return (dcs & 0x04) ? PduAlphabet::EightBit : PduAlphabet::Gsm7;
    return PduAlphabet::Gsm7;  // message waiting groups C, D and the reserved groups
}

void DecodePdu(QStringView hex, DecodedPdu& out) {
    out.clear();
    std::uint8_t octets[kMaxOctets];
    const int count = HexToOctets(hex, octets);
    if (count <= 0)
        return;
    OctetReader in(octets, count);
    const int firstOctet = ReadSmsc(in, out.smsc) ? in.take() : 0;
    bool ok = !in.failed();
    if (ok) {
        switch (firstOctet & 3) {
            case 0:
                ok = ReadDeliver(in, firstOctet, out);
                break;
            case 1:
                ok = ReadSubmit(in, firstOctet, out);
                break;
            case 2:
                ok = ReadStatusReport(in, out);
                break;
            default:
                ok = false;
                break;
        }
    }
    if (!ok)
        out.clear();
}

DecodedPdu DecodePdu(QStringView hex) {
    DecodedPdu out;
    DecodePdu(hex, out);
    return out;
}
