// SMScoder::PrepareSend: the worked examples byte for byte, splitting, references, numbers,
// coding override, transliteration and the refusal of texts that need too many parts.
#include <gtest/gtest.h>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/PduPrimitives.h"
#include "pdu/SMScoder.h"

namespace {

const QString kSmsc = QStringLiteral("79001111111");
const QString kTo = QStringLiteral("79001234567");

QString PduOf(const QString& element) {
    return element.left(element.lastIndexOf(QLatin1Char('-')));
}
// User data length octet of an element built with the 11-digit centre and destination.
int UdlOf(const QString& element) {
    return PduOf(element).mid(42, 2).toInt(nullptr, 16);
}

class Encoder : public ScratchSettings {
protected:
    QStringList send(QString text, const QString& to = kTo, const QString& smsc = kSmsc) {
        return coder.PrepareSend(to, text, smsc, 0);
    }
    // The texts of every part read back by the decoder, joined.
    static QString readBack(const QStringList& elements) {
        QString text;
        for (const QString& e : elements)
            text += DecodePdu(PduOf(e)).text;
        return text;
    }
    SMScoder coder;
};

TEST_F(Encoder, WorkedExamplesByteForByte) {
    EXPECT_EQ(send(QStringLiteral("hello")),
              QStringList{"07919700111111F111000B919700214365F70000AA05E8329BFD06-19"});
    coder.setReport(31);
    EXPECT_EQ(send(QStringLiteral("Да")),
              QStringList{"07919700111111F131000B919700214365F70008AA0404140430-18"});
}

// Mend: "+8613800138000" went to 7613800138000 and "+7 (900) 123-45-67" to "7"; a Cyrillic text
// with a coding suffix went out as DCS 10 over UCS2 octets; the centre field's length did not
// follow the centre number. sent_numbers.tsv: as typed, then the centre, number and DCS read
// back from the PDU, or the refusal. The length after the dash counts the octets after the
// centre field.
TEST_F(Encoder, NumbersAndCodingSuffixesAsPeopleTypeThem) {
    const auto rows = testsupport::DataTsv(QStringLiteral("sent_numbers.tsv"));
    ASSERT_EQ(rows.size(), 38);
    for (const auto& row : rows) {
        const QStringList e = send(row["text"], row["to"], row["smsc"]);
        const QString pdu = PduOf(e.value(0));
        const DecodedPdu d = DecodePdu(pdu);
        const QString read = QString(d.smsc + ' ' + d.number + ' ' + HexOctet(d.dcs)).trimmed();
        EXPECT_EQ(e.isEmpty() ? coder.lastError() : read, row["sent"]) << row["to"].toStdString();
        if (!e.isEmpty()) {
            EXPECT_EQ(e[0].section('-', 1).toInt() * 2 + 2 + 2 * pdu.left(2).toInt(nullptr, 16),
                      pdu.size());
        }
    }
}

TEST_F(Encoder, SplitsAtSeptetAndUnitLimits) {
    QString faces;
    for (int i = 0; i < 41; ++i)
        faces += QString::fromUcs4(U"\U0001F600");
    const struct {
        const char* name;
        QString text;
        std::vector<int> udls;
        const char* tail;  // the end of the first PDU
    } cases[] = {
        {"empty", QString(), {0}, "0000AA00"},
        {"160 septets", QString(160, 'a'), {160}, ""},
        {"159 and a final @", QString(159, 'a') + '@', {160}, ""},
        {"161 septets", QString(161, 'a'), {0xA0, 0x0F}, ""},
        {"306 septets", QString(306, 'a'), {0xA0, 0xA0}, ""},
        {"70 UCS2", QString(70, QChar(0x0416)), {140}, ""},
        {"71 UCS2", QString(71, QChar(0x0416)), {0x8C, 0x0E}, ""},
        {"GSM with its extension", QStringLiteral("@_$ {x} [€] ~ ^ | \\ § ¿ Δ"), {34}, ""},
        {"80 euros fill one", QString(80, QChar(0x20AC)), {160}, ""},
        // ab and 75 euros; the 76th would straddle.
        {"81 euros", "ab" + QString(80, QChar(0x20AC)), {7 + 152, 7 + 10}, ""},
        {"real UTF-16 codes", QStringLiteral("Ёж№"), {6}, "06040104362116"},
        {"CJK and CR", QStringLiteral("日本\r"), {6}, "0665E5672C000D"},
        {"surrogate pairs kept whole", faces, {6 + 66 * 2, 6 + 16 * 2}, ""},
        {"more than seven parts",
         QString(153 * 7 + 1, 'z'),
         {160, 160, 160, 160, 160, 160, 160, 8},
         ""},
    };
    for (const auto& c : cases) {
        const QStringList elements = send(c.text);
        std::vector<int> udls;
        for (const QString& e : elements)
            udls.push_back(UdlOf(e));
        EXPECT_EQ(udls, c.udls) << c.name;
        EXPECT_TRUE(PduOf(elements.value(0)).endsWith(QLatin1String(c.tail))) << c.name;
        EXPECT_EQ(readBack(elements), c.text) << c.name;
    }
}

TEST_F(Encoder, FirstOctetsFollowTheReportChoice) {
    const QString text(400, QLatin1Char('b'));
    // Report choice, every part or the last only: three parts, then a single message.
    for (const char* c :
         {"31 0 51 51 71 31", "11 0 51 51 51 11", "31 1 71 71 71 31", "11 1 51 51 51 11"}) {
        const QStringList expected = QString::fromLatin1(c).split(' ');
        coder.setReport(expected[0].toLong());
        coder.setReportEveryPart(expected[1] == "1");
        QStringList firsts = expected.mid(0, 2);
        for (const QString& e : send(text) + send(QStringLiteral("short")))
            firsts << e.mid(16, 2);
        EXPECT_EQ(firsts, expected);
    }
}

TEST_F(Encoder, ReferenceCounterLoadsOnceAdvancesAndWritesBack) {
    set("SMS", "LongID", QStringLiteral("254"));
    const QString longText(200, QLatin1Char('c'));
    EXPECT_EQ(DecodePdu(PduOf(send(longText)[0])).concat.reference, 255);
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("255"));
    // 256 wraps to 1, and the counter in memory wins over a later edit of the file.
    set("SMS", "LongID", QStringLiteral("77"));
    EXPECT_EQ(DecodePdu(PduOf(send(longText)[0])).concat.reference, 1);
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("1"));
    // The reference is found in an element without a validity period too.
    EXPECT_EQ(ConcatReferenceOf("0041000B919700214365F70000080500032A020100-16"), 42);
    // A single message takes no reference.
    send(QStringLiteral("short"));
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("1"));
}

TEST_F(Encoder, TransliterationWhenToLatinIsOn) {
    QString text = QStringLiteral("Привет, Щука");
    EXPECT_EQ(coder.PrepareSend(kTo, text, kSmsc, 0)[0].mid(38, 2), QStringLiteral("08"));
    EXPECT_EQ(text, QStringLiteral("Привет, Щука"));
    set("SMS", "ToLatin", QStringLiteral("1"));
    const QStringList elements = coder.PrepareSend(kTo, text, kSmsc, 0);
    EXPECT_EQ(text, QStringLiteral("Privet, SCHuka"));
    EXPECT_EQ(elements[0].mid(38, 2), QStringLiteral("00"));
    EXPECT_EQ(readBack(elements), QStringLiteral("Privet, SCHuka"));
}

// Mend: up to 255 parts get a proper header; more are refused.
TEST_F(Encoder, LongTextsUpTo255PartsThenRefused) {
    const QStringList most = send(QString(153 * 255, QLatin1Char('q')));
    ASSERT_EQ(most.size(), 255);
    EXPECT_EQ(DecodePdu(PduOf(most[254])).concat.sequence, 255);

    const QString stored = get("SMS", "LongID");
    EXPECT_TRUE(send(QString(153 * 255 + 1, QLatin1Char('q'))).isEmpty());
    EXPECT_EQ(coder.lastErrorCode(), EncodeError::TooManyParts);
    EXPECT_EQ(get("SMS", "LongID"), stored) << "a refused text takes no reference";
    EXPECT_TRUE(send(QString(67 * 255 + 1, QChar(0x0416))).isEmpty());
    EXPECT_TRUE(send(QStringLiteral("x"), QString(21, QLatin1Char('7'))).isEmpty());
    EXPECT_EQ(coder.lastErrorCode(), EncodeError::TooManyDigits);
}

}  // namespace
