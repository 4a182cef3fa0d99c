#pragma once
// The pieces of an outgoing SMS-SUBMIT: coding choice, number handling, the split into parts of a
// concatenated message, user data and the assembled PDU. Pure functions; SMScoder runs them in
// order and keeps the settings and the reference counter.
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

enum class SmsCoding { Gsm7, Ucs2 };

// Limits of one message and of one part of a concatenated message (septets or UTF-16 units).
constexpr int kGsm7SingleLimit = 160;
constexpr int kGsm7PartLimit = 153;
constexpr int kUcs2SingleLimit = 70;
constexpr int kUcs2PartLimit = 67;
constexpr int kMaxParts = 255;
constexpr int kMaxAddressDigits = 20;

// 7-bit when every character is in the GSM alphabet, else UCS2.
SmsCoding ChooseDCS(QStringView text);
int DcsOctet(SmsCoding coding);

// A number after "F" in the destination overrides the data coding scheme octet:
// 79001234567F24 gives the number 79001234567 and the override 0x18. A value above 255 is cut
// off but sets nothing; an "F" at the end is kept in the number (which ParseWrittenNumber then
// refuses).
struct CodingOverride {
    QString number;
    std::optional<int> dcs;
};
CodingOverride ParseCodingOverride(const QString& phone);

// Every "+" removed, then the leading digits (blanks between them skipped) without leading zeros.
// The SMS-centre number is read so.
QString NormaliseNumber(const QString& number);

// A destination as it was written: its digits, with blanks, "-", "(", ")" and "." skipped, and
// whether it began with "+". No value when anything else stands in it ("abc", a second "+", an
// "F" without a coding value) or it holds no digit: such a number would reach another subscriber.
struct WrittenNumber {
    QString digits;
    bool international = false;
};
std::optional<WrittenNumber> ParseWrittenNumber(const QString& number);

// The digits sent: leading zeros dropped, and the national prefix 8 of a number written without
// "+" with exactly 11 digits replaced by 7 (89001234567 to 79001234567; +84..., +86... stay).
QString DestinationDigits(const WrittenNumber& number);

// The coding override asks for a message class; the alphabet is the one the user data are
// encoded in. A general-group value (bits 7-6 00 or 01) keeps its class flag and class bits and
// takes the alphabet bits of `used`; a class-group value (F0-FF) keeps its class, as F0-F3 for
// 7-bit and as the general group's 18-1B for UCS2; other groups name no class and give the
// plain octet of `used`. 79001234567F24 with a Cyrillic text sends 18, with a Latin one 10.
int OverriddenDcs(int override, SmsCoding used);

// Why PrepareSend gave nothing. The message's own faults can never be mended by another attempt.
enum class EncodeError { None, SmscNumber, NotANumber, TooManyDigits, TooManyParts };
QString EncodeErrorText(EncodeError error);
bool IsNeverSendable(EncodeError error);

// One text range per part, in order; a single range when the text fits one message. An extension
// character (two septets) and a surrogate pair are never cut between parts.
struct TextPart {
    int start = 0;
    int length = 0;
};
QList<TextPart> SplitIntoParts(QStringView text, SmsCoding coding);

struct ConcatInfo {
    int reference = 0;
    int total = 0;
    int sequence = 0;
};

// User data length (two hex digits) and user data; with a concatenation header when given.
QString TextToPDU(QStringView text, SmsCoding coding, const std::optional<ConcatInfo>& concat);

// The SMS-centre field: length octet, "91" and the semi-octets; "00" for an empty number (the
// phone then uses its own centre).
QString SmscField(const QString& digits);

struct SubmitFields {
    QString smscDigits;
    QString destinationDigits;
    int firstOctet = 0x11;
    int dcs = 0;
    QString userData;  // TextToPDU's result
};
// The element the phone driver takes: PDU hex, "-", length in octets after the SMS-centre field.
QString SubmitElement(const SubmitFields& fields);

// First octet of a part: 11/31 single, 51 every part but the last, 51/71 the last part. With
// reportEveryPart every part of a long message asks for its own report (71), so that a part lost
// on its way shows.
int SubmitFirstOctet(bool report, bool concatenated, bool lastPart, bool reportEveryPart = false);

// The reference in the concatenation header of an encoded part ("PDU-length"), or 0 when the part
// carries none.
int ConcatReferenceOf(const QString& element);
// The encoded part with the reference of its concatenation header replaced: the rest of a long
// message goes out under the reference its first parts carried. A part without the header comes
// back unchanged.
QString WithConcatReference(const QString& element, int reference);
