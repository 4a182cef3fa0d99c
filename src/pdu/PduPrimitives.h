#pragma once
// The small conversions the PDU encoder and decoder are built from: hex text, swapped
// semi-octets, 7-bit packing, time stamps and the concatenation header.
// Every function is pure and checks its bounds; none throws.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <cstdint>
#include <initializer_list>

using Septets = QVarLengthArray<std::uint8_t, 320>;

// Appends one octet as two upper-case hex digits.
void AppendHexOctet(QString& out, unsigned octet);
QString HexOctet(unsigned octet);
QString ToHex(const QByteArray& bytes);
// The value of one hex digit (either letter case), or -1.
int HexDigitValue(QChar c);

// Phone number in swapped semi-octets: blanks around it and a leading "+" dropped, "F" appended
// to an odd count, each pair exchanged. 79001234567 gives 9700214365F7.
QString NumberToSemiOctets(const QString& number);

// The digits of an address field (octets of swapped semi-octets), at most `digits` of them,
// after an optional "+". Semi-octets A to E are the characters * # a b c; F is the filler and
// gives nothing.
void AppendAddressDigits(QString& out, const std::uint8_t* octets, int digits, bool plus = false);

// `out` becomes the pieces joined, reusing its storage when it is not shared.
void AssignJoined(QString& out, std::initializer_list<QStringView> pieces);

// 7-bit packing (TS 23.038): septet k starts at stream bit 7k + fillBits; a final partial octet
// is completed with zero bits. Appends to `out` the packed octets of the septets (hex text).
void AppendPackedSeptets(QString& out, const std::uint8_t* septets, int count, int fillBits = 0);
// Reads `count` septets starting at bit `bitOffset` of the octets; false when the octets end
// before the last septet.
bool UnpackSeptets(const std::uint8_t* octets, int octetCount, int bitOffset, int count,
                   std::uint8_t* septets);

// Time stamp of seven swapped semi-octet octets (year, month, day, hour, minute, second, zone)
// in the form "dd.MM.yy  hh:mm:ss"; the zone octet is not read.
QString TimeStampText(const std::uint8_t* octets);

// The user-data header of a concatenated message with an 8-bit reference (05 00 03 r t s).
QByteArray ConcatHeader(int reference, int total, int sequence);
// The same header followed by one fill bit, as the seven septets whose packing is those 49 bits.
Septets ConcatHeaderSeptets(int reference, int total, int sequence);
