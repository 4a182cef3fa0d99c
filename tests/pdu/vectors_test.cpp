// Every row of the peer vectors: received messages and delivery reports decode to the number and
// text the peer asserts; every submit's text goes through our encoder and back through our
// decoder; EXPECT-ERROR rows give no text.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

using testsupport::TsvRow;
using namespace Qt::StringLiterals;

namespace {

QString Field(const TsvRow& row, const char* column) {
    return testsupport::Unescape(row[QString::fromLatin1(column)]);
}
QString NoteValue(const TsvRow& row, const char* pattern) {
    return QRegularExpression(pattern).match(Field(row, "notes")).captured(1);
}

// Rows where we follow TS 23.040 / 24.008 rather than the peer's expectation: a semi-octet B is
// "#", not the letter b; a TP-UDL of 160 octets with 10 present is a malformed PDU.
QString OurNumber(const TsvRow& row) {
    return row["source"].endsWith("test_decode #11") ? "+#08427829207025" : Field(row, "number");
}
bool WeRefuse(const TsvRow& row) {
    return row["source"].endsWith("test_decode #8");
}

class PeerVectorsTest : public ScratchSettings {
protected:
    void SetUp() override {
        ScratchSettings::SetUp();
        rows = PeerVectors();
        ASSERT_EQ(rows.size(), 132) << "the peer vectors are missing or changed";
    }
    QVector<TsvRow> rows;
};

TEST_F(PeerVectorsTest, DeliverAndStatusReportRowsDecodeAsThePeersAssert) {
    int textsCompared = 0;
    for (const TsvRow& row : rows) {
        const QString kind = Field(row, "kind");
        if (kind == "submit")
            continue;
        SCOPED_TRACE(row["source"].toStdString());
        SMScoder coder;
        coder.setRowSMS(Field(row, "pdu"));
        const DecodedPdu& d = coder.Decoded();
        if (Field(row, "notes").contains("EXPECT-ERROR")) {
            EXPECT_EQ(d.kind, PduKind::Invalid);
            EXPECT_EQ(coder.PlainSMS(), QString());
            continue;
        }
        EXPECT_EQ(PduKindName(d.kind), kind);
        for (const auto& [ours, theirs] :
             {std::pair{d.number, OurNumber(row)}, std::pair{d.smsc, Field(row, "smsc")}})
            EXPECT_TRUE(theirs.isEmpty() || ours == theirs) << ours.toStdString();
        EXPECT_EQ(d.dcs, kind == "deliver" ? Field(row, "dcs").toInt(nullptr, 16) : -1);
        const PduConcat& c = d.concat;
        const QString udh = row["udh_ref"] + ' ' + row["udh_total"] + ' ' + row["udh_seq"];
        EXPECT_EQ(d.hasConcat ? u"%1 %2 %3"_s.arg(c.reference).arg(c.total).arg(c.sequence) : "",
                  udh.trimmed());
        if (kind == "status-report") {
            EXPECT_EQ(d.status, Field(row, "status").toInt(nullptr, 16));
            EXPECT_TRUE(coder.PlainSMS().contains(QStringLiteral("Отчет о доставке: ")));
            continue;
        }
        // The text the peer asserts; for 8-bit data, the octets as hex; for the e-mail gateway
        // rows, the body the peer parses out of the text.
        const QString text = Field(row, "text_utf8") + NoteValue(row, "data=([0-9A-F]+)");
        const QString body = NoteValue(row, "body=\"([^\"(]+)").trimmed();
        if (!text.isEmpty() || !body.isEmpty()) {
            EXPECT_TRUE(text.isEmpty() ? d.text.endsWith(body) : d.text == text)
                << d.text.toStdString();
            ++textsCompared;
        }
        EXPECT_EQ(coder.PlainSMS().section('\t', 1),
                  d.text.isEmpty() ? "" : QString(d.number + '\t' + d.text));
    }
    EXPECT_GE(textsCompared, 45);
}

TEST_F(PeerVectorsTest, SubmitRowsAreListedWithoutTextAndTheirTextsRoundTrip) {
    QSet<QString> wholeTexts;  // the long texts given once for their parts
    int roundTrips = 0;
    int byteIdentical = 0;
    for (const TsvRow& row : rows) {
        if (Field(row, "kind") != "submit")
            continue;
        SCOPED_TRACE(row["source"].toStdString());
        const QString pdu = Field(row, "pdu");
        SMScoder coder;
        coder.setRowSMS(pdu);
        EXPECT_EQ(coder.PlainSMS(), QString()) << "a listed SMS-SUBMIT is no received message";
        EXPECT_EQ(coder.Decoded().kind, WeRefuse(row) ? PduKind::Invalid : PduKind::Submit);
        const QString number = Field(row, "number");
        EXPECT_TRUE(WeRefuse(row) || number.isEmpty() || coder.Decoded().number == number);

        QString text = Field(row, "text_utf8");
        const QString whole = NoteValue(row, "whole text = \"(.+)\"(;|$)");
        if (text.isEmpty() && !whole.isEmpty() && !wholeTexts.contains(whole))
            wholeTexts << (text = whole);
        if (text.isEmpty())
            continue;
        // Our encoder, then our decoder, part by part.
        const QString smsc = Field(row, "smsc");
        QString sent = text;
        const QStringList elements =
            coder.PrepareSend(QStringLiteral("+79001234567"), sent, smsc, 0);
        ASSERT_FALSE(elements.isEmpty()) << coder.lastError().toStdString();
        QString received;
        for (int i = 0; i < elements.size(); ++i) {
            const DecodedPdu d = DecodePdu(elements[i].section('-', 0, -2));
            ASSERT_EQ(d.kind, PduKind::Submit);
            EXPECT_EQ(d.number, QStringLiteral("+79001234567"));
            EXPECT_EQ(d.hasConcat, elements.size() > 1);
            EXPECT_EQ(d.concat.total, d.hasConcat ? elements.size() : 0);
            EXPECT_EQ(d.concat.sequence, d.hasConcat ? i + 1 : 0);
            received += d.text;
        }
        EXPECT_EQ(received, text);
        ++roundTrips;

        // Where the peer built the very PDU ours builds (first octet 11, reference 00,
        // international destination, PID 00, validity AA), the bytes agree.
        if (number.startsWith('+') && elements.size() == 1) {
            const QString again = coder.PrepareSend(number, text, smsc, 0).value(0);
            byteIdentical += again.section('-', 0, -2) == pdu.toUpper();
        }
    }
    EXPECT_GE(roundTrips, 45);
    EXPECT_GE(byteIdentical, 3);  // hola, Hölä, hellohello
}

}  // namespace
