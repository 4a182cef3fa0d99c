// SMScoder's decoding side: the received line, delivery report sentences, the raw PDU log and
// the faults a listed PDU may carry.
#include <gtest/gtest.h>

#include <QDir>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

namespace {

const QString kHello =
    QStringLiteral("07919700111111F1040B919700214365F700006221504130002105E8329BFD06");
const QString kDeliveredReport =
    QStringLiteral("07919700111111F1062A0B919700214365F7622150413000216221504130702100");

// A received message from +79001234567 with the given first octet, coding and user data.
QString Deliver(const char* firstOctet, const char* dcs, const char* userData) {
    return QStringLiteral("07919700111111F1") + QLatin1String(firstOctet) +
           QStringLiteral("0B919700214365F700") + QLatin1String(dcs) +
           QStringLiteral("62215041300021") + QLatin1String(userData);
}

// A delivery report for +79001234567 with the given status octet.
QString Report(int status) {
    return QStringLiteral("07919700111111F1062A0B919700214365F762215041300021622150413070") +
           QStringLiteral("21") +
           QStringLiteral("%1").arg(status, 2, 16, QLatin1Char('0')).toUpper();
}

class Decoder : public ScratchSettings {
protected:
    FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 7, 1))};
    SMScoder coder{clock};
    QString textOf(const QString& pdu) {
        coder.setRowSMS(pdu);
        return coder.Decoded().text;
    }
};

TEST_F(Decoder, PlainLineHoldsMomentNumberAndText) {
    coder.setRowSMS(kHello);
    EXPECT_EQ(coder.RowSMS(), kHello);
    EXPECT_EQ(coder.PlainSMS(), QStringLiteral("05.03.2024 09:07:01\t+79001234567\thello"));
    clock.advanceSecs(61);
    coder.setRowSMS(kHello);
    EXPECT_TRUE(coder.PlainSMS().startsWith(QLatin1String("05.03.2024 09:08:02\t")));
    // "" changes nothing.
    coder.setRowSMS(QString());
    EXPECT_EQ(coder.RowSMS(), kHello);
    EXPECT_EQ(coder.PlainSMS(), QStringLiteral("05.03.2024 09:08:02\t+79001234567\thello"));
    // Blanks between fields and small hex letters decode the same.
    coder.setRowSMS(
        QStringLiteral("07 919700111111f1 04 0B919700214365F7 00 00 62215041300021 05 e8329bfd06"));
    EXPECT_EQ(coder.PlainSMS(), QStringLiteral("05.03.2024 09:08:02\t+79001234567\thello"));
}

TEST_F(Decoder, WorkedExamples) {
    EXPECT_EQ(textOf(kDeliveredReport),
              QStringLiteral("Отчет о доставке: Доставлено +79001234567 Дата: 05.12.26  14:03:07"));
    EXPECT_EQ(coder.Decoded().number, QStringLiteral("+79001234567"));
    EXPECT_EQ(textOf(QStringLiteral(
                  "07919700111111F1440B919700214365F70008622150413000210A0500032A020104140430")),
              QStringLiteral("Да"));
    EXPECT_TRUE(coder.Decoded().hasConcat);
    EXPECT_EQ(coder.Decoded().concat.reference, 0x2A);
    EXPECT_EQ(coder.Decoded().concat.sequence, 1);
    // Septets 0x11 and 0x5F.
    EXPECT_EQ(textOf(Deliver("04", "00", "02912F")), QStringLiteral("_§"));
}

TEST_F(Decoder, ReportWordsComeFromTheSettingsFile) {
    set("SMSreports", "Delivered", QStringLiteral("OK!"));
    EXPECT_TRUE(textOf(kDeliveredReport).startsWith(QStringLiteral("Отчет о доставке: OK! +7")));
}

// Mend: every status gets a sentence, with the word of its class.
TEST_F(Decoder, EveryReportStatusGetsItsClassWord) {
    const struct {
        int status;
        const char* word;
    } cases[] = {
        {0x00, "Доставлено"}, {0x01, "Доставлено"}, {0x1F, "Доставлено"}, {0x22, "Отложено"},
        {0x20, "Отложено"},   {0x30, "Отложено"},   {0x46, "Удалено"},    {0x41, "Ошибка"},
        {0x40, "Ошибка"},     {0x45, "Ошибка"},     {0x65, "Ошибка"},     {0x7F, "Ошибка"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textOf(Report(c.status)),
                  QStringLiteral("Отчет о доставке: ") + QString::fromUtf8(c.word) +
                      QStringLiteral(" +79001234567 Дата: 05.12.26  14:03:07"))
            << c.status;
        EXPECT_EQ(coder.Decoded().status, c.status);
    }
}

// Mend: the user data length decides where the text ends.
TEST_F(Decoder, TrailingAtSignsAreKept) {
    EXPECT_EQ(textOf(Deliver("04", "00", "03311900")), QStringLiteral("12@"));
    EXPECT_EQ(textOf(Deliver("04", "00", "0731D98C56B3DD00")), QStringLiteral("1234567"));
    EXPECT_EQ(textOf(Deliver("04", "00", "0831D98C56B3DD00")), QStringLiteral("1234567@"));
    QString text = QString(159, QLatin1Char('a')) + QLatin1Char('@');
    const QStringList sent = coder.PrepareSend(QStringLiteral("79001234567"), text, {}, 0);
    EXPECT_EQ(DecodePdu(sent[0].left(sent[0].lastIndexOf(QLatin1Char('-')))).text, text);
}

// Mend: header flag wherever the first octet has it, any header length, 16-bit references.
TEST_F(Decoder, HeadersAreReadAsTheyAre) {
    // 0x64: header together with the status-report indication.
    EXPECT_EQ(textOf(Deliver("64", "08", "0A0500032A020104140430")), QStringLiteral("Да"));
    // Two elements (a port header first), concatenation second.
    EXPECT_EQ(textOf(Deliver("44", "08", "0E0B05040B8423F000032A03020414")), QStringLiteral("Д"));
    EXPECT_EQ(coder.Decoded().concat.total, 3);
    // A 16-bit reference, 7-bit text after fill bits.
    EXPECT_EQ(textOf(Deliver("44", "00", "0B06080412340201CD771B")), QStringLiteral("Mom"));
    EXPECT_EQ(coder.Decoded().concat.reference, 0x1234);
    // A header longer than the data is refused.
    EXPECT_EQ(textOf(Deliver("44", "08", "060900032A0201")), QString());
    EXPECT_EQ(coder.Decoded().kind, PduKind::Invalid);
}

// Mend: alphanumeric senders, the coding groups, 8-bit data as hex.
TEST_F(Decoder, SendersAndCodingGroups) {
    coder.setRowSMS(QStringLiteral(
        "07919730071111F10414D04937BD2C7797E9D3E614000811309291024061080442043504410442"));
    EXPECT_EQ(coder.PlainSMS(), QStringLiteral("05.03.2024 09:07:01\tInternetSMS\tтест"));
    const struct {
        const char* dcs;
        const char* userData;
        const char* text;
    } cases[] = {
        {"00", "05E8329BFD06", "hello"},    {"F1", "05E8329BFD06", "hello"},
        {"11", "05E8329BFD06", "hello"},    {"C8", "05E8329BFD06", "hello"},
        {"08", "0404010451", "Ёё"},         {"19", "0404010451", "Ёё"},
        {"E0", "0404010451", "Ёё"},         {"04", "03E8329B", "E8329B"},
        {"F4", "03E8329B", "E8329B"},       {"24", "03E8329B", "E8329B"},
        {"08", "04D83DDE00", "\U0001F600"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textOf(Deliver("04", c.dcs, c.userData)), QString::fromUtf8(c.text)) << c.dcs;
}

// Mend: a listed SMS-SUBMIT is not a received message.
TEST_F(Decoder, SubmitGivesNoLine) {
    coder.setRowSMS(QStringLiteral("07919700111111F111000B919700214365F70000AA05E8329BFD06"));
    EXPECT_EQ(coder.Decoded().kind, PduKind::Submit);
    EXPECT_EQ(coder.Decoded().text, QStringLiteral("hello"));
    EXPECT_EQ(coder.PlainSMS(), QString());
}

// Mend: too short or malformed input yields no text, and the previous line is gone.
TEST_F(Decoder, MalformedInputGivesNoText) {
    for (const QString& bad : QStringList{QStringLiteral("zz"), QStringLiteral("0"),
                                          QStringLiteral("07919700111111F1040B91"),
                                          QStringLiteral("FF"), QStringLiteral("0003"),
                                          kHello + QLatin1Char('0'), kHello.left(kHello.size() - 2),
                                          QStringLiteral("00") + QString(1200, QLatin1Char('0'))}) {
        coder.setRowSMS(kHello);
        ASSERT_FALSE(coder.PlainSMS().isEmpty());
        coder.setRowSMS(bad);
        EXPECT_EQ(coder.PlainSMS(), QString()) << bad.toStdString();
        EXPECT_EQ(coder.Decoded().kind, PduKind::Invalid) << bad.toStdString();
    }
    // Every received message of the peer vectors, cut anywhere, gives no text.
    for (const auto& row : PeerVectors()) {
        const QString pdu = row[QStringLiteral("pdu")];
        if (row[QStringLiteral("kind")] != QLatin1String("deliver"))
            continue;
        for (int cut = 2; cut < pdu.size(); cut += 2) {
            coder.setRowSMS(pdu.left(cut));
            ASSERT_EQ(coder.PlainSMS(), QString()) << pdu.left(cut).toStdString();
        }
    }
}

TEST_F(Decoder, RawPduLogWhenTestSmsIsOn) {
    const QString log = QDir(folder()).filePath(QStringLiteral("NewLog.txt"));
    const QString spaced =
        QStringLiteral("07919700111111F1 040B919700214365F700006221504130002105E8329BFD06");
    coder.setRowSMS(spaced);
    EXPECT_FALSE(QFile::exists(log));
    set("Test", "SMS", QStringLiteral("1"));
    coder.setRowSMS(spaced);
    coder.setRowSMS(QStringLiteral("0011"));  // undecodable: the line the diagnosis needs most
    EXPECT_EQ(testsupport::ReadBytes(log), (QStringLiteral("05.03.2024 09:07:01 ") + spaced +
                                            QStringLiteral("\r\n05.03.2024 09:07:01 0011\r\n"))
                                               .toUtf8());
}

}  // namespace
