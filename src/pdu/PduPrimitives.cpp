#include "pdu/PduPrimitives.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

void AppendHexOctet(QString& out, unsigned octet) {
    const QChar pair[2] = {QLatin1Char(kHexDigits[(octet >> 4) & 0xF]),
                           QLatin1Char(kHexDigits[octet & 0xF])};
    out.append(pair, 2);
}

QString HexOctet(unsigned octet) {
    QString s;
    AppendHexOctet(s, octet);
    return s;
}

QString ToHex(const QByteArray& bytes) {
    QString s;
    s.reserve(bytes.size() * 2);
    for (char b : bytes)
        AppendHexOctet(s, static_cast<std::uint8_t>(b));
    return s;
}

int HexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QString NumberToSemiOctets(const QString& number) {
    QString n = number.trimmed();
    if (n.startsWith(QLatin1Char('+')))
        n.remove(0, 1);
    if (n.size() % 2 != 0)
        n += QLatin1Char('F');
    QString out;
    out.reserve(n.size());
    for (int i = 0; i + 1 < n.size(); i += 2) {
        out += n[i + 1];
        out += n[i];
    }
    return out;
}

void AppendAddressDigits(QString& out, const std::uint8_t* octets, int digits, bool plus) {
    static constexpr char kSemiOctetChars[] = "0123456789*#abc";
    const int start = out.size();
    out.resize(start + digits + (plus ? 1 : 0));
    QChar* dst = out.data() + start;
    if (plus)
        *dst++ = QLatin1Char('+');
    for (int i = 0; i < digits; ++i) {
        const int nibble = (i % 2 == 0) ? (octets[i / 2] & 0xF) : (octets[i / 2] >> 4);
        if (nibble != 0xF)
            *dst++ = QLatin1Char(kSemiOctetChars[nibble]);
    }
    out.resize(dst - out.constData());
}

void AppendPackedSeptets(QString& out, const std::uint8_t* septets, int count, int fillBits) {
    unsigned accumulator = 0;  // bits not yet written, lowest first
    int pending = fillBits;
    for (int i = 0; i < count; ++i) {
        accumulator |= unsigned(septets[i] & 0x7F) << pending;
        pending += 7;
        while (pending >= 8) {
            AppendHexOctet(out, accumulator & 0xFF);
            accumulator >>= 8;
            pending -= 8;
        }
    }
    if (pending > 0 && count > 0)
        AppendHexOctet(out, accumulator & 0xFF);
}

bool UnpackSeptets(const std::uint8_t* octets, int octetCount, int bitOffset, int count,
                   std::uint8_t* septets) {
    if (count < 0 || bitOffset < 0)
        return false;
    if (count > 0 && (bitOffset + count * 7 + 7) / 8 > octetCount)
        return false;
    for (int i = 0; i < count; ++i) {
        const int bit = bitOffset + i * 7;
        const int index = bit / 8;
        const int shift = bit % 8;
        unsigned word = octets[index];
        if (shift > 1)  // the septet reaches into the next octet
            word |= unsigned(octets[index + 1]) << 8;
        septets[i] = (word >> shift) & 0x7F;
    }
    return true;
}

QString TimeStampText(const std::uint8_t* octets) {
    static constexpr char kNibbleChars[] = "0123456789ABCDEF";
    QString out;
    out.reserve(18);
    auto field = [&](int i) {
        out += QLatin1Char(kNibbleChars[octets[i] & 0xF]);
        out += QLatin1Char(kNibbleChars[octets[i] >> 4]);
    };
    field(2);
    out += QLatin1Char('.');
    field(1);
    out += QLatin1Char('.');
    field(0);
    out += QLatin1String("  ");
    field(3);
    out += QLatin1Char(':');
    field(4);
    out += QLatin1Char(':');
    field(5);
    return out;
}

QByteArray ConcatHeader(int reference, int total, int sequence) {
    QByteArray header(6, '\0');
    header[0] = 0x05;
    header[1] = 0x00;
    header[2] = 0x03;
    header[3] = static_cast<char>(reference & 0xFF);
    header[4] = static_cast<char>(total & 0xFF);
    header[5] = static_cast<char>(sequence & 0xFF);
    return header;
}

Septets ConcatHeaderSeptets(int reference, int total, int sequence) {
    const QByteArray header = ConcatHeader(reference, total, sequence);
    Septets septets(7);
    UnpackSeptets(reinterpret_cast<const std::uint8_t*>(header.constData()), header.size(), 0, 6,
                  septets.data());
    // The seventh septet holds the top six bits of the last octet and the fill bit (zero).
    septets[6] = static_cast<std::uint8_t>(header[5]) >> 2;
    return septets;
}

void AssignJoined(QString& out, std::initializer_list<QStringView> pieces) {
    qsizetype size = 0;
    for (QStringView piece : pieces)
        size += piece.size();
    out.resize(size);
    QChar* dst = out.data();
    for (QStringView piece : pieces) {
        std::copy(piece.begin(), piece.end(), dst);
        dst += piece.size();
    }
}
