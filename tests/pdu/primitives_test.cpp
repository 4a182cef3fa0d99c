// Semi-octet, septet, time stamp and header conversions; the GSM alphabet; transliteration.
#include <gtest/gtest.h>

#include "PduTestSupport.h"
#include "pdu/Gsm7.h"
#include "pdu/PduPrimitives.h"
#include "pdu/Transliterate.h"

namespace {

// The packed septets of a header (if any), then of the text.
QString Pack(const QString& text, Septets septets = {}) {
    AppendGsm7Septets(septets, text);
    QString out;
    AppendPackedSeptets(out, septets.constData(), septets.size());
    return out;
}

TEST(PduPrimitives, SemiOctetsAndTimeStamps) {
    for (const char* number : {"79001234567", "+79001234567", " 79001234567 "})
        EXPECT_EQ(NumberToSemiOctets(number), QStringLiteral("9700214365F7")) << number;
    EXPECT_EQ(NumberToSemiOctets("123456"), QStringLiteral("214365"));
    // A time stamp: the zone octet is not read.
    const std::uint8_t stamp[] = {0x62, 0x21, 0x50, 0x41, 0x30, 0x70, 0x21};
    EXPECT_EQ(TimeStampText(stamp), QStringLiteral("05.12.26  14:03:07"));
}

TEST(PduPrimitives, SeptetPacking) {
    EXPECT_EQ(Pack(QStringLiteral("hello")), QStringLiteral("E8329BFD06"));
    EXPECT_EQ(Pack(QString()), QString());
    // Seven characters: seven octets, the last holding only the seventh septet's top bit (0).
    EXPECT_EQ(Pack(QStringLiteral("1234567")), QStringLiteral("31D98C56B3DD00"));
    EXPECT_EQ(Pack(QStringLiteral("hellohello")), QStringLiteral("E8329BFD4697D9EC37"));
    // The concatenation header and its fill bit, up to 255 parts.
    EXPECT_EQ(Pack({}, ConcatHeaderSeptets(0x2A, 2, 1)), QStringLiteral("0500032A020100"));
    EXPECT_EQ(Pack({}, ConcatHeaderSeptets(0x10, 200, 155)), QStringLiteral("05000310C89B00"));

    const std::uint8_t packed[] = {0xE8, 0x32, 0x9B, 0xFD, 0x06};
    std::uint8_t septets[5];
    ASSERT_TRUE(UnpackSeptets(packed, 5, 0, 5, septets));
    QString text;
    AppendGsm7Text(text, septets, 5);
    EXPECT_EQ(text, QStringLiteral("hello"));
    EXPECT_FALSE(UnpackSeptets(packed, 5, 0, 6, septets));  // the sixth septet is not there
    EXPECT_FALSE(UnpackSeptets(packed, 1, 7, 1, septets));  // nor is the second
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
    EXPECT_EQ(Pack(QStringLiteral("@_$§{€")), QStringLiteral("8088E0BB416DCA"));
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
    const auto rows = testsupport::DataTsv(QStringLiteral("transliteration.tsv"));
    ASSERT_EQ(rows.size(), 10);
    for (const auto& row : rows)
        EXPECT_EQ(Transliterate(row["in"]), row["out"]) << row["in"].toStdString();
}

}  // namespace
