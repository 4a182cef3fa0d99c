#include "pdu/PduEncoder.h"

#include "pdu/Gsm7.h"
#include "pdu/PduPrimitives.h"
#include "settings/Conversions.h"

namespace {

constexpr int kValidityFourDays = 0xAA;

void AppendUcs2Hex(QString& out, QStringView text) {
    for (QChar c : text) {
        AppendHexOctet(out, c.unicode() >> 8);
        AppendHexOctet(out, c.unicode() & 0xFF);
    }
}

QList<TextPart> SplitGsm7(QStringView text) {
    QList<TextPart> parts;
    if (Gsm7SeptetCount(text) <= kGsm7SingleLimit) {
        parts.append({0, int(text.size())});
        return parts;
    }
    TextPart part;
    int septets = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int cost = Gsm7Cost(text[i]);
        if (septets + cost > kGsm7PartLimit) {
            parts.append(part);
            part = {i, 0};
            septets = 0;
        }
        septets += cost;
        ++part.length;
    }
    parts.append(part);
    return parts;
}

QList<TextPart> SplitUcs2(QStringView text) {
    QList<TextPart> parts;
    if (text.size() <= kUcs2SingleLimit) {
        parts.append({0, int(text.size())});
        return parts;
    }
    int start = 0;
    while (start < text.size()) {
        int length = std::min<int>(kUcs2PartLimit, text.size() - start);
        const int end = start + length;
        if (end < text.size() && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
            --length;
        parts.append({start, length});
        start += length;
    }
    return parts;
}

}  // namespace

SmsCoding ChooseDCS(QStringView text) {
    return IsGsm7Text(text) ? SmsCoding::Gsm7 : SmsCoding::Ucs2;
}

int DcsOctet(SmsCoding coding) {
    return coding == SmsCoding::Gsm7 ? 0x00 : 0x08;
}

CodingOverride ParseCodingOverride(const QString& phone) {
    CodingOverride result{phone, std::nullopt};
    const int f = phone.indexOf(QLatin1Char('F'), 0, Qt::CaseInsensitive);
    if (f < 0 || f + 1 >= phone.size())
        return result;
    const qint64 value = LeadingNumber(phone.mid(f + 1));
    result.number = phone.left(f);
    if (value >= 0 && value <= 0xFF)
        result.dcs = static_cast<int>(value);
    return result;
}

QString NormaliseNumber(const QString& number) {
    QString withoutPlus = number;
    withoutPlus.remove(QLatin1Char('+'));
    return LeadingDigits(withoutPlus);
}

std::optional<WrittenNumber> ParseWrittenNumber(const QString& number) {
    WrittenNumber written;
    const QString t = number.trimmed();
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 0x80)
            written.digits += c;
        else if (c == QLatin1Char('+') && i == 0)
            written.international = true;
        else if (!c.isSpace() && !QStringView(u"-().").contains(c))
            return std::nullopt;
    }
    if (written.digits.isEmpty())
        return std::nullopt;
    return written;
}

QString DestinationDigits(const WrittenNumber& number) {
    constexpr int kNationalLength = 11;
    if (!number.international && number.digits.size() == kNationalLength &&
        number.digits.startsWith(QLatin1Char('8')))
        return QLatin1Char('7') + number.digits.mid(1);
    QString digits = number.digits;
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

int OverriddenDcs(int override, SmsCoding used) {
    constexpr int kGeneralGroupMask = 0x80, kAutoDelete = 0x40, kClassFlagAndBits = 0x13;
    constexpr int kClassGroup = 0xF0, kClassBits = 0x03, kClassFlag = 0x10;
    const int alphabet = DcsOctet(used);
    if ((override & kGeneralGroupMask) == 0)  // the compression bit goes: the text is not packed
        return (override & (kAutoDelete | kClassFlagAndBits)) | alphabet;
    if ((override & kClassGroup) == kClassGroup) {
        const int messageClass = override & kClassBits;
        return used == SmsCoding::Gsm7 ? kClassGroup | messageClass
                                       : kClassFlag | alphabet | messageClass;
    }
    return alphabet;
}

QString EncodeErrorText(EncodeError error) {
    switch (error) {
        case EncodeError::None:
            break;
        case EncodeError::SmscNumber:
            return QStringLiteral("The SMS centre number has more than %1 digits")
                .arg(kMaxAddressDigits);
        case EncodeError::NotANumber:
            return QStringLiteral("The destination is not a phone number");
        case EncodeError::TooManyDigits:
            return QStringLiteral("The destination has more than %1 digits").arg(kMaxAddressDigits);
        case EncodeError::TooManyParts:
            return QStringLiteral("The text needs more than %1 parts").arg(kMaxParts);
    }
    return QString();
}

bool IsNeverSendable(EncodeError error) {
    return error == EncodeError::NotANumber || error == EncodeError::TooManyDigits ||
           error == EncodeError::TooManyParts;
}

QList<TextPart> SplitIntoParts(QStringView text, SmsCoding coding) {
    return coding == SmsCoding::Gsm7 ? SplitGsm7(text) : SplitUcs2(text);
}

QString TextToPDU(QStringView text, SmsCoding coding, const std::optional<ConcatInfo>& concat) {
    QString out;
    if (coding == SmsCoding::Gsm7) {
        Septets septets;
        if (concat)
            septets = ConcatHeaderSeptets(concat->reference, concat->total, concat->sequence);
        AppendGsm7Septets(septets, text);
        out.reserve(2 + (septets.size() * 7 + 7) / 8 * 2);
        AppendHexOctet(out, septets.size());
        AppendPackedSeptets(out, septets.constData(), septets.size());
        return out;
    }
    const int headerOctets = concat ? 6 : 0;
    out.reserve(2 + headerOctets * 2 + text.size() * 4);
    AppendHexOctet(out, headerOctets + text.size() * 2);
    if (concat)
        out += ToHex(ConcatHeader(concat->reference, concat->total, concat->sequence));
    AppendUcs2Hex(out, text);
    return out;
}

QString SmscField(const QString& digits) {
    if (digits.isEmpty())
        return QStringLiteral("00");
    QString field;
    AppendHexOctet(field, 1 + (digits.size() + 1) / 2);
    field += QLatin1String("91");
    field += NumberToSemiOctets(digits);
    return field;
}

QString SubmitElement(const SubmitFields& f) {
    const QString smsc = SmscField(f.smscDigits);
    QString pdu;
    pdu.reserve(smsc.size() + 30 + f.userData.size());
    pdu += smsc;
    AppendHexOctet(pdu, f.firstOctet);
    pdu += QLatin1String("00");  // message reference: the phone sets it
    AppendHexOctet(pdu, f.destinationDigits.size());
    pdu += QLatin1String("91");
    pdu += NumberToSemiOctets(f.destinationDigits);
    pdu += QLatin1String("00");  // protocol identifier
    AppendHexOctet(pdu, f.dcs);
    AppendHexOctet(pdu, kValidityFourDays);
    pdu += f.userData;
    return pdu + QLatin1Char('-') + QString::number((pdu.size() - smsc.size()) / 2);
}

int SubmitFirstOctet(bool report, bool concatenated, bool lastPart, bool reportEveryPart) {
    if (!concatenated)
        return report ? 0x31 : 0x11;
    return report && (lastPart || reportEveryPart) ? 0x71 : 0x51;
}

namespace {

// The octet at hex position pos of an SMS-SUBMIT, or -1 past its end.
int OctetAt(const QString& pdu, int pos) {
    if (pos < 0 || pos + 2 > pdu.size())
        return -1;
    const int high = HexDigitValue(pdu[pos]);
    const int low = HexDigitValue(pdu[pos + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Hex position of the reference octet of the concatenation header (8-bit form), or -1.
int ConcatReferencePosition(const QString& pdu) {
    int pos = 2 + 2 * std::max(0, OctetAt(pdu, 0));
    const int firstOctet = OctetAt(pdu, pos);
    if (firstOctet < 0 || (firstOctet & 0x40) == 0)
        return -1;
    const int digits = std::max(0, OctetAt(pdu, pos + 4));
    pos += 4 + 4 + digits + digits % 2 + 4;  // first octet, reference, address, PID, DCS
    const int validityFormat = (firstOctet >> 3) & 3;
    pos += validityFormat == 2 ? 2 : validityFormat == 0 ? 0 : 14;
    const int headerStart = pos + 2;  // after the user data length
    const int headerEnd = headerStart + 2 + 2 * std::max(0, OctetAt(pdu, headerStart));
    for (int ie = headerStart + 2; ie + 4 <= headerEnd;) {
        const int id = OctetAt(pdu, ie);
        const int length = OctetAt(pdu, ie + 2);
        if (id < 0 || length < 0)
            return -1;
        if (id == 0 && length == 3)
            return ie + 4;
        ie += 4 + 2 * length;
    }
    return -1;
}

}  // namespace

int ConcatReferenceOf(const QString& element) {
    const int at = ConcatReferencePosition(element);
    return at < 0 ? 0 : std::max(0, OctetAt(element, at));
}

QString WithConcatReference(const QString& element, int reference) {
    const int at = ConcatReferencePosition(element);
    QString changed = element;
    if (at >= 0)
        changed.replace(at, 2, HexOctet(static_cast<unsigned>(reference & 0xFF)));
    return changed;
}
