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
int LengthOf(const QString& element) {
    return element.mid(element.lastIndexOf(QLatin1Char('-')) + 1).toInt();
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
    EXPECT_EQ(coder.Report(), QStringLiteral("11"));
    EXPECT_EQ(
        send(QStringLiteral("hello")),
        QStringList{QStringLiteral("07919700111111F111000B919700214365F70000AA05E8329BFD06-19")});
    coder.setReport(31);
    EXPECT_EQ(coder.Report(), QStringLiteral("31"));
    EXPECT_EQ(
        send(QStringLiteral("Да")),
        QStringList{QStringLiteral("07919700111111F131000B919700214365F70008AA0404140430-18")});
}

TEST_F(Encoder, LengthIsTheOctetsAfterTheCentreField) {
    for (const QString& text :
         {QStringLiteral("hello"), QString(200, QLatin1Char('x')), QStringLiteral("Привет")}) {
        for (const QString& e : send(text))
            EXPECT_EQ(LengthOf(e) * 2, PduOf(e).size() - 16);
    }
    // An empty text is one PDU with no user data.
    const QStringList empty = send(QString());
    ASSERT_EQ(empty.size(), 1);
    EXPECT_TRUE(PduOf(empty[0]).endsWith(QLatin1String("0000AA00")));
}

TEST_F(Encoder, SplitsAtSeptetAndUnitLimits) {
    const struct {
        int length;
        QChar fill;
        std::vector<int> udls;
    } cases[] = {
        {160, QLatin1Char('a'), {160}},        {161, QLatin1Char('a'), {0xA0, 0x0F}},
        {306, QLatin1Char('a'), {0xA0, 0xA0}}, {70, QChar(0x0416), {140}},
        {71, QChar(0x0416), {0x8C, 0x0E}},
    };
    for (const auto& c : cases) {
        const QString text(c.length, c.fill);
        const QStringList elements = send(text);
        std::vector<int> udls;
        for (const QString& e : elements)
            udls.push_back(UdlOf(e));
        EXPECT_EQ(udls, c.udls) << c.length;
        EXPECT_EQ(readBack(elements), text);
    }
}

TEST_F(Encoder, FirstOctetsFollowTheReportChoice) {
    const QString text(400, QLatin1Char('b'));
    const struct {
        long report;
        bool everyPart;
        QStringList expected;  // three parts, then a single message
    } cases[] = {{31, false, {"51", "51", "71", "31"}},
                 {11, false, {"51", "51", "51", "11"}},
                 {31, true, {"71", "71", "71", "31"}},
                 {11, true, {"51", "51", "51", "11"}}};
    for (const auto& c : cases) {
        coder.setReport(c.report);
        coder.setReportEveryPart(c.everyPart);
        QStringList firsts;
        for (const QString& e : send(text) + send(QStringLiteral("short")))
            firsts << e.mid(16, 2);
        EXPECT_EQ(firsts, c.expected);
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
    // A single message takes no reference.
    send(QStringLiteral("short"));
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("1"));
}

TEST_F(Encoder, NumbersAreNormalised) {
    const struct {
        const char* to;
        const char* field;  // destination length, type and semi-octets
    } cases[] = {
        {"+7 900 123 45 67", "0B919700214365F7"},    {"89001234567", "0B919700214365F7"},
        {"0079001234567", "0B919700214365F7"},       {"123456", "0691214365"},
        {"123456789012345", "0F9121436587092143F5"},
    };
    for (const auto& c : cases) {
        const QString pdu = PduOf(send(QStringLiteral("x"), QString::fromUtf8(c.to)).value(0));
        EXPECT_EQ(pdu.mid(20, int(strlen(c.field))), QString::fromUtf8(c.field)) << c.to;
    }
}

// Mend: "+8613800138000" went to 7613800138000 and "+7 (900) 123-45-67" to "7"; a Cyrillic text
// with a coding suffix went out as DCS 10 over UCS2 octets. numbers.tsv: as typed, then what the
// phone is given (number and DCS) or the refusal.
TEST_F(Encoder, NumbersAndCodingSuffixesAsPeopleTypeThem) {
    const auto rows = testsupport::ReadTsv(testsupport::SourceDir() + "/tests/pdu/numbers.tsv");
    ASSERT_EQ(rows.size(), 28);
    for (const auto& row : rows) {
        const QStringList e = send(row[QStringLiteral("text")], row[QStringLiteral("to")]);
        const DecodedPdu d = DecodePdu(PduOf(e.value(0)));
        EXPECT_EQ(e.isEmpty() ? coder.lastError() : d.number + QLatin1Char(' ') + HexOctet(d.dcs),
                  row[QStringLiteral("sent")])
            << row[QStringLiteral("to")].toStdString();
    }
}

TEST_F(Encoder, CodingOverrideAfterF) {
    const QString pdu = PduOf(send(QStringLiteral("hello"), QStringLiteral("79001234567F16"))[0]);
    EXPECT_EQ(pdu, QStringLiteral("07919700111111F111000B919700214365F70010AA05E8329BFD06"));
    // 256 or more is removed but sets nothing; a final F is no number.
    EXPECT_EQ(PduOf(send(QStringLiteral("hello"), QStringLiteral("79001234567F300"))[0]),
              QStringLiteral("07919700111111F111000B919700214365F70000AA05E8329BFD06"));
    EXPECT_TRUE(send(QStringLiteral("hello"), QStringLiteral("79001234567F")).isEmpty());
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

// Mend: the GSM alphabet with its extension table, both ways.
TEST_F(Encoder, Gsm7CharactersArriveAsThemselves) {
    const QString text = QStringLiteral("@_$ {x} [€] ~ ^ | \\ § ¿ Δ");
    const QStringList elements = send(text);
    EXPECT_EQ(elements[0].mid(38, 2), QStringLiteral("00"));
    EXPECT_EQ(readBack(elements), text);
    // Extension characters count two septets: 80 of them fill one message, 81 need two, and
    // none is cut between parts.
    EXPECT_EQ(send(QString(80, QChar(0x20AC))).size(), 1);
    const QString euros = QStringLiteral("ab") + QString(80, QChar(0x20AC));
    const QStringList parts = send(euros);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(UdlOf(parts[0]), 7 + 152);  // ab and 75 euros; the 76th would straddle
    EXPECT_EQ(readBack(parts), euros);
}

// Mend: real UTF-16 codes, surrogate pairs kept whole.
TEST_F(Encoder, Ucs2UsesRealCodes) {
    EXPECT_TRUE(PduOf(send(QStringLiteral("Ёж№"))[0]).endsWith(QLatin1String("06040104362116")));
    EXPECT_TRUE(PduOf(send(QStringLiteral("日本\r"))[0]).endsWith(QLatin1String("0665E5672C000D")));
    QString faces;
    for (int i = 0; i < 41; ++i)
        faces += QString::fromUcs4(U"\U0001F600");
    const QStringList parts = send(faces);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(UdlOf(parts[0]), 6 + 66 * 2);  // unit 67 would split a pair
    EXPECT_EQ(readBack(parts), faces);
}

// Mend: centre field length from the centre number; destination length as two hex digits.
TEST_F(Encoder, CentreFieldFollowsTheCentreNumber) {
    const struct {
        const char* smsc;
        const char* field;
    } cases[] = {
        {"", "00"},
        {"79001111111", "07919700111111F1"},
        {"+420800123456", "0791248000214365"},  // 12 digits: the same length octet
        {"12345", "04912143F5"},
        {"3361234567890", "0891331632547698F0"},
    };
    for (const auto& c : cases) {
        const QString e = send(QStringLiteral("hi"), kTo, QString::fromUtf8(c.smsc)).value(0);
        EXPECT_TRUE(e.startsWith(QString::fromUtf8(c.field) + QLatin1String("1100"))) << c.smsc;
        const DecodedPdu d = DecodePdu(PduOf(e));
        EXPECT_EQ(d.kind, PduKind::Submit);
        EXPECT_EQ(d.text, QStringLiteral("hi"));
        EXPECT_EQ(LengthOf(e) * 2 + int(strlen(c.field)), PduOf(e).size());
    }
}

// Mend: more than seven parts get a proper header up to 255; more are refused.
TEST_F(Encoder, LongTextsUpTo255PartsThenRefused) {
    const QString eight = QString(153 * 7 + 1, QLatin1Char('z'));
    const QStringList parts = send(eight);
    ASSERT_EQ(parts.size(), 8);
    const DecodedPdu last = DecodePdu(PduOf(parts[7]));
    EXPECT_EQ(last.concat.total, 8);
    EXPECT_EQ(last.concat.sequence, 8);
    EXPECT_EQ(readBack(parts), eight);

    const QStringList most = send(QString(153 * 255, QLatin1Char('q')));
    ASSERT_EQ(most.size(), 255);
    EXPECT_EQ(DecodePdu(PduOf(most[254])).concat.sequence, 255);
    EXPECT_EQ(coder.lastErrorCode(), EncodeError::None);

    const QString stored = get("SMS", "LongID");
    EXPECT_TRUE(send(QString(153 * 255 + 1, QLatin1Char('q'))).isEmpty());
    EXPECT_EQ(coder.lastErrorCode(), EncodeError::TooManyParts);
    EXPECT_EQ(get("SMS", "LongID"), stored) << "a refused text takes no reference";
    EXPECT_TRUE(send(QString(67 * 255 + 1, QChar(0x0416))).isEmpty());
    EXPECT_TRUE(send(QStringLiteral("x"), QString(21, QLatin1Char('7'))).isEmpty());
    EXPECT_EQ(coder.lastErrorCode(), EncodeError::TooManyDigits);
}

}  // namespace
