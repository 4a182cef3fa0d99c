// Destination numbers as people type them, the coding override, and the PDUs nobody can read.
#include <gtest/gtest.h>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

namespace {

class Numbers : public ScratchSettings {
protected:
    // The destination the phone would be given ("+" and digits), or the refusal.
    QString sentTo(const QString& number, QString text = QStringLiteral("x")) {
        const QStringList e = coder.PrepareSend(number, text, QStringLiteral("79001111111"), 0);
        if (e.isEmpty())
            return QStringLiteral("refused: ") + EncodeErrorText(coder.lastErrorCode());
        return DecodePdu(e[0].left(e[0].lastIndexOf(QLatin1Char('-')))).number;
    }
    int dcsOf(const QString& number, const QString& text) {
        QString t = text;
        const QString e = coder.PrepareSend(number, t, QStringLiteral("79001111111"), 0).value(0);
        return DecodePdu(e.left(e.lastIndexOf(QLatin1Char('-')))).dcs;
    }
    SMScoder coder;
};

TEST_F(Numbers, OnlyNationalNumbersLoseTheirEightAndSeparatorsAreSkipped) {
    const QString notANumber =
        QStringLiteral("refused: ") + EncodeErrorText(EncodeError::NotANumber);
    const struct {
        QString written;
        QString sent;
    } cases[] = {
        {"+8613800138000", "+8613800138000"},
        {"+84901234567", "+84901234567"},
        {"+81312345678", "+81312345678"},
        {"0084901234567", "+84901234567"},
        {"89001234567", "+79001234567"},
        {"8 (900) 123-45-67", "+79001234567"},
        {"+7 (900) 123-45-67", "+79001234567"},
        {"+7-900-123-45-67", "+79001234567"},
        {"7.900.123.45.67", "+79001234567"},
        {"8900123456", "+8900123456"},
        {"", notANumber},
        {QString(), notANumber},
        {"abc", notANumber},
        {"+", notANumber},
        {"7900abc", notANumber},
        {"+7+900", notANumber},
        {"79001234567F", notANumber},
        {QString(21, QLatin1Char('7')),
         QStringLiteral("refused: ") + EncodeErrorText(EncodeError::TooManyDigits)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sentTo(c.written), c.sent) << c.written.toStdString();
    EXPECT_TRUE(IsNeverSendable(EncodeError::NotANumber));
    EXPECT_FALSE(IsNeverSendable(EncodeError::SmscNumber));
}

// The alphabet bits follow the text as encoded; the class bits follow the suffix.
TEST_F(Numbers, CodingOverrideKeepsTheClassAndTellsTheTruthAboutTheAlphabet) {
    const QString cyrillic = QStringLiteral("Да"), latin = QStringLiteral("hello");
    const struct {
        const char* suffix;
        const QString& text;
        int dcs;
    } cases[] = {
        {"F16", latin, 0x10},     {"F16", cyrillic, 0x18}, {"F24", latin, 0x10},
        {"F24", cyrillic, 0x18},  {"F17", cyrillic, 0x19}, {"F240", latin, 0xF0},
        {"F241", cyrillic, 0x19}, {"F80", cyrillic, 0x58}, {"F52", cyrillic, 0x18},
        {"F48", latin, 0x10},     {"F200", latin, 0x00},   {"F200", cyrillic, 0x08},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dcsOf(QStringLiteral("79001234567") + QLatin1String(c.suffix), c.text), c.dcs)
            << c.suffix << " " << c.text.toStdString();
}

// An unreadable PDU is reported the first time it is listed under a key, not at every listing.
TEST_F(Numbers, UndecodablePduIsNewOncePerKeyAndPdu) {
    coder.setRowSMS(QStringLiteral("0011"));
    EXPECT_TRUE(coder.FirstSightOfUndecodable(QStringLiteral("13")));
    EXPECT_FALSE(coder.FirstSightOfUndecodable(QStringLiteral("13")));
    EXPECT_TRUE(coder.FirstSightOfUndecodable(QStringLiteral("24")));
    coder.setRowSMS(QStringLiteral("001122"));
    EXPECT_TRUE(coder.FirstSightOfUndecodable(QStringLiteral("13")));  // another PDU there now
    coder.setRowSMS(
        QStringLiteral("07919700111111F1040B919700214365F700006221504130002105E8329BFD06"));
    EXPECT_FALSE(coder.FirstSightOfUndecodable(QStringLiteral("15")));
}

}  // namespace
