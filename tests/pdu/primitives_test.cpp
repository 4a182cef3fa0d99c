// Hex, semi-octet, binary-text, septet and header conversions.
#include <gtest/gtest.h>

#include "PduTestSupport.h"
#include "pdu/Gsm7.h"
#include "pdu/PduPrimitives.h"
#include "pdu/Transliterate.h"

namespace {

QString Pack(const QString& ascii) {
    Septets septets;
    AppendGsm7Septets(septets, ascii);
    return PackSeptets(septets.constData(), septets.size());
}

TEST(PduPrimitives, SemiOctets) {
    EXPECT_EQ(NumberToSemiOctets(QStringLiteral("79001234567")), QStringLiteral("9700214365F7"));
    EXPECT_EQ(NumberToSemiOctets(QStringLiteral("+79001234567")), QStringLiteral("9700214365F7"));
    EXPECT_EQ(NumberToSemiOctets(QStringLiteral(" 79001234567 ")), QStringLiteral("9700214365F7"));
    EXPECT_EQ(NumberToSemiOctets(QStringLiteral("123456")), QStringLiteral("214365"));
    EXPECT_EQ(SemiOctetsToNumber(QStringLiteral("9700214365F7")), QStringLiteral("+79001234567"));
    EXPECT_EQ(SemiOctetsToNumber(QStringLiteral("214365")), QStringLiteral("+123456"));
    EXPECT_EQ(SemiOctetsToNumber(QStringLiteral("21436")), QStringLiteral("+1234"));
}

TEST(PduPrimitives, BinaryAndDecimalText) {
    EXPECT_EQ(CharToBits(QLatin1Char('A')), QStringLiteral("01000001"));
    EXPECT_EQ(BitsToHex(QString()), QString());
    EXPECT_EQ(BitsToHex(QStringLiteral("101010101")), QString());
    EXPECT_EQ(BitsToHex(QStringLiteral("0")), QStringLiteral("00"));
    EXPECT_EQ(BitsToHex(QStringLiteral("1")), QStringLiteral("01"));
    EXPECT_EQ(BitsToHex(QStringLiteral("1100001")), QStringLiteral("61"));
    EXPECT_EQ(HexToBits(QStringLiteral("E8")), QStringLiteral("11101000"));
    EXPECT_EQ(HexToDec(QStringLiteral("0B")), QStringLiteral("11"));
    EXPECT_EQ(HexToDec(QStringLiteral("8C")), QStringLiteral("140"));
    EXPECT_EQ(HexToDec(QStringLiteral("A")), QStringLiteral("10"));
    EXPECT_EQ(BitsToDec(QStringLiteral("101")), QStringLiteral("5"));
    EXPECT_EQ(BitsToDec(QStringLiteral("111111111111111")), QStringLiteral("32767"));
}

TEST(PduPrimitives, SeptetPacking) {
    EXPECT_EQ(Pack(QStringLiteral("hello")), QStringLiteral("E8329BFD06"));
    EXPECT_EQ(Pack(QString()), QString());
    // Seven characters: seven octets, the last holding only the seventh septet's top bit.
    const QString seven = Pack(QStringLiteral("1234567"));
    EXPECT_EQ(seven.size(), 14);
    EXPECT_EQ(seven.right(2), QStringLiteral("00"));  // '7' = 0x37: top bit 0
    EXPECT_EQ(Pack(QStringLiteral("hellohello")), QStringLiteral("E8329BFD4697D9EC37"));

    const std::uint8_t packed[] = {0xE8, 0x32, 0x9B, 0xFD, 0x06};
    std::uint8_t septets[5];
    ASSERT_TRUE(UnpackSeptets(packed, 5, 0, 5, septets));
    QString text;
    AppendGsm7Text(text, septets, 5);
    EXPECT_EQ(text, QStringLiteral("hello"));
    EXPECT_FALSE(UnpackSeptets(packed, 5, 0, 6, septets));  // the sixth septet is not there
}

TEST(PduPrimitives, ConcatHeaderSeptetsPackToTheStandardHeader) {
    const Septets s = ConcatHeaderSeptets(0x2A, 2, 1);
    EXPECT_EQ(PackSeptets(s.constData(), s.size()), QStringLiteral("0500032A020100"));
    // The seven-character form for every total and sequence up to 7.
    for (int r : {1, 0x2A, 0xFF}) {
        for (int t = 1; t <= 7; ++t) {
            for (int seq = 1; seq <= t; ++seq) {
                const Septets h = ConcatHeaderSeptets(r, t, seq);
                const int expected[7] = {
                    5, 0, 12, (r & 0xF) * 8, (r >> 4) + t * 16, (seq % 4) * 32, seq >= 4 ? 1 : 0};
                for (int i = 0; i < 7; ++i)
                    EXPECT_EQ(h[i], expected[i]) << r << " " << t << " " << seq << " " << i;
            }
        }
    }
    // Beyond seven parts the same 49 bits still carry the whole header.
    const Septets big = ConcatHeaderSeptets(0x10, 200, 155);
    EXPECT_EQ(PackSeptets(big.constData(), big.size()), QStringLiteral("05000310C89B00"));
}

TEST(PduPrimitives, TimeStampIgnoresTheZone) {
    const std::uint8_t stamp[] = {0x62, 0x21, 0x50, 0x41, 0x30, 0x70, 0x21};
    EXPECT_EQ(TimeStampText(stamp), QStringLiteral("05.12.26  14:03:07"));
}

TEST(Gsm7Alphabet, EveryCharacterRoundTrips) {
    // Default table (without the escape) and the extension table.
    const QString all = QStringLiteral(
        "@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVW"
        "XYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà\f^{}\\[~]|€");
    ASSERT_TRUE(IsGsm7Text(all));
    Septets septets;
    AppendGsm7Septets(septets, all);
    EXPECT_EQ(septets.size(), 127 + 2 * 10);
    EXPECT_EQ(Gsm7SeptetCount(all), septets.size());
    QString back;
    AppendGsm7Text(back, septets.constData(), septets.size());
    EXPECT_EQ(back, all);
}

TEST(Gsm7Alphabet, CharactersGetTheirOwnSeptets) {
    struct Case {
        QString text;
        std::vector<int> septets;
    } cases[] = {
        {QStringLiteral("@"), {0x00}},       {QStringLiteral("_"), {0x11}},
        {QStringLiteral("$"), {0x02}},       {QStringLiteral("§"), {0x5F}},
        {QStringLiteral("{"), {0x1B, 0x28}}, {QStringLiteral("€"), {0x1B, 0x65}},
    };
    for (const Case& c : cases) {
        Septets s;
        AppendGsm7Septets(s, c.text);
        EXPECT_EQ(std::vector<int>(s.begin(), s.end()), c.septets) << c.text.toStdString();
    }
    EXPECT_FALSE(IsGsm7Text(QStringLiteral("Ё")));
    EXPECT_FALSE(IsGsm7Text(QStringLiteral("tab\there")));
    // An escape before a code the extension table lacks shows that code's own character; an
    // escape at the end shows nothing.
    const std::uint8_t received[] = {0x1B, 0x41, 0x31, 0x1B};
    QString text;
    AppendGsm7Text(text, received, 4);
    EXPECT_EQ(text, QStringLiteral("A1"));
}

TEST(Transliteration, FollowsTheTableInTwoPasses) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Ёлка", "Elka"},
        {"Шишка", "SHishka"},
        {"Жёлтый", "Jeltyy"},
        {"объём", "ob'em"},
        {"№5", "#5"},
        {"Hello, мир!", "Hello, mir!"},
        {"Щука", "SCHuka"},
        {"ЦАРЬ", "TSAR'"},
        {"", ""},
        {"plain text 123", "plain text 123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Transliterate(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

}  // namespace
