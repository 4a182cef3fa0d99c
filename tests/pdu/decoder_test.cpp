// SMScoder's decoding side: the received line, delivery report sentences, the raw PDU log and
// the faults a listed PDU may carry.
#include <gtest/gtest.h>

#include <QDir>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

using namespace Qt::StringLiterals;

namespace {

const QString kHello =
    QStringLiteral("07919700111111F1040B919700214365F700006221504130002105E8329BFD06");
const QString kStamp = QStringLiteral("05.03.2024 09:07:01");

class Decoder : public ScratchSettings {
protected:
    FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 7, 1))};
    SMScoder coder{clock};
};

// decoded_pdus.tsv: a listed PDU, then what is read from it. Only a received message or a report
// gives a line, and a PDU that cannot be read leaves no line of the one before.
TEST_F(Decoder, ListedPdus) {
    const auto rows = testsupport::DataTsv(QStringLiteral("decoded_pdus.tsv"));
    ASSERT_EQ(rows.size(), 45);
    for (const auto& row : rows) {
        SCOPED_TRACE(row["case"].toStdString());
        coder.setRowSMS(kHello);
        coder.setRowSMS(row["pdu"]);
        const DecodedPdu& d = coder.Decoded();
        EXPECT_EQ(PduKindName(d.kind), row["kind"]);
        EXPECT_EQ(d.text, row["text"]);
        if (d.kind == PduKind::Invalid)
            continue;
        EXPECT_EQ(d.number, row["number"]);
        const PduConcat& c = d.concat;
        EXPECT_EQ(d.hasConcat ? u"%1/%2/%3"_s.arg(c.reference).arg(c.total).arg(c.sequence) : "",
                  row["concat"]);
        EXPECT_EQ(d.status, row["status"].isEmpty() ? -1 : row["status"].toInt(nullptr, 16));
        const bool received = d.kind != PduKind::Submit && !d.text.isEmpty();
        EXPECT_EQ(coder.PlainSMS(),
                  received ? QString(kStamp + '\t' + d.number + '\t' + d.text) : "");
    }
    // The moment is read again a minute later; "" changes nothing.
    clock.advanceSecs(61);
    coder.setRowSMS(kHello);
    coder.setRowSMS(QString());
    EXPECT_EQ(coder.RowSMS(), kHello);
    EXPECT_EQ(coder.PlainSMS(), QStringLiteral("05.03.2024 09:08:02\t+79001234567\thello"));
    // The report words come from the settings file.
    set("SMSreports", "Delivered", QStringLiteral("OK!"));
    coder.setRowSMS(u"07919700111111F1062A0B919700214365F7622150413000216221504130702100"_s);
    EXPECT_TRUE(coder.Decoded().text.startsWith(QStringLiteral("Отчет о доставке: OK! +7")));
}

// Every received message of the peer vectors, cut anywhere, gives no text.
TEST_F(Decoder, CutPeerVectorsGiveNoText) {
    for (const auto& row : PeerVectors()) {
        const QString pdu = row[QStringLiteral("pdu")];
        for (int cut = 2; row["kind"] == "deliver" && cut < pdu.size(); cut += 2) {
            coder.setRowSMS(pdu.left(cut));
            ASSERT_EQ(coder.PlainSMS(), QString()) << pdu.left(cut).toStdString();
        }
    }
}

TEST_F(Decoder, RawPduLogWhenTestSmsIsOn) {
    const QString log = QDir(folder()).filePath(QStringLiteral("NewLog.txt"));
    const QString spaced = kHello.left(16) + ' ' + kHello.mid(16);
    coder.setRowSMS(spaced);
    EXPECT_FALSE(QFile::exists(log));
    set("Test", "SMS", QStringLiteral("1"));
    coder.setRowSMS(spaced);
    coder.setRowSMS(QStringLiteral("0011"));  // undecodable: the line the diagnosis needs most
    EXPECT_EQ(testsupport::ReadBytes(log),
              (kStamp + ' ' + spaced + "\r\n" + kStamp + " 0011\r\n").toUtf8());
    for (const char* key : {"ME1", "ME2"})  // an undecodable PDU is news once in each place
        EXPECT_TRUE(coder.FirstSightOfUndecodable(key)) << key;
    EXPECT_FALSE(coder.FirstSightOfUndecodable("ME1"));
}

}  // namespace
