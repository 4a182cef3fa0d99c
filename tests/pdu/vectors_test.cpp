// Every row of the peer vectors: received messages and delivery reports decode to the number and
// text the peer asserts; every submit's text goes through our encoder and back through our
// decoder; EXPECT-ERROR rows give no text.
#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>

#include "PduTestSupport.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

using testsupport::TsvRow;
using testsupport::Unescape;

namespace {

QString Field(const TsvRow& row, const char* column) {
    return Unescape(row[QString::fromLatin1(column)]);
}

// Rows where we follow TS 23.040 / 24.008 rather than the peer's expectation, by test name.
struct Decision {
    const char* testName;
    const char* number;  // our number, or nullptr when the number is as the peer says
    bool invalid;        // we refuse the PDU
};
const Decision kDecisions[] = {
    // Semi-octet B is "#" (TS 24.008), not the letter b.
    {"TestSmsPdu.test_decode #11", "+#08427829207025", false},
    // TP-UDL says 160 octets but 10 are present: the PDU is malformed.
    {"TestSmsPdu.test_decode #8", nullptr, true},
};

const Decision* DecisionFor(const TsvRow& row) {
    for (const Decision& d : kDecisions) {
        if (row[QStringLiteral("source")].endsWith(QLatin1String(d.testName)))
            return &d;
    }
    return nullptr;
}

QString NoteValue(const QString& notes, const QString& pattern) {
    const auto match = QRegularExpression(pattern).match(notes);
    return match.hasMatch() ? match.captured(1) : QString();
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
        if (kind == QLatin1String("submit"))
            continue;
        const QString notes = Field(row, "notes");
        SCOPED_TRACE(row[QStringLiteral("source")].toStdString());
        SMScoder coder;
        coder.setRowSMS(Field(row, "pdu"));
        const DecodedPdu& d = coder.Decoded();
        if (notes.contains(QLatin1String("EXPECT-ERROR"))) {
            EXPECT_EQ(d.kind, PduKind::Invalid);
            EXPECT_EQ(coder.PlainSMS(), QString());
            continue;
        }
        EXPECT_EQ(PduKindName(d.kind), kind);
        const Decision* decision = DecisionFor(row);
        const QString number = decision && decision->number ? QString::fromUtf8(decision->number)
                                                            : Field(row, "number");
        if (!number.isEmpty()) {
            EXPECT_EQ(d.number, number);
        }
        if (!Field(row, "smsc").isEmpty()) {
            EXPECT_EQ(d.smsc, Field(row, "smsc"));
        }
        EXPECT_EQ(d.dcs,
                  kind == QLatin1String("deliver") ? Field(row, "dcs").toInt(nullptr, 16) : -1);
        if (!Field(row, "udh_ref").isEmpty()) {
            ASSERT_TRUE(d.hasConcat);
            EXPECT_EQ(d.concat.reference, Field(row, "udh_ref").toInt());
            EXPECT_EQ(d.concat.total, Field(row, "udh_total").toInt());
            EXPECT_EQ(d.concat.sequence, Field(row, "udh_seq").toInt());
        } else {
            EXPECT_FALSE(d.hasConcat);
        }
        if (kind == QLatin1String("status-report")) {
            EXPECT_EQ(d.status, Field(row, "status").toInt(nullptr, 16));
            EXPECT_TRUE(coder.PlainSMS().contains(QStringLiteral("Отчет о доставке: ")));
            continue;
        }
        // The text the peer asserts; for 8-bit data, the octets as hex; for the e-mail gateway
        // rows, the body the peer parses out of the text.
        QString text = Field(row, "text_utf8");
        const QString data = NoteValue(notes, QStringLiteral("data=([0-9A-F]+)"));
        const QString body = NoteValue(notes, QStringLiteral("body=\"([^\"]+)\""));
        if (!text.isEmpty() || !data.isEmpty()) {
            EXPECT_EQ(d.text, text.isEmpty() ? data : text);
            ++textsCompared;
        } else if (!body.isEmpty()) {
            EXPECT_TRUE(d.text.endsWith(body.split(QLatin1Char('(')).first().trimmed()))
                << d.text.toStdString();
            ++textsCompared;
        }
        if (!d.text.isEmpty()) {
            EXPECT_TRUE(coder.PlainSMS().endsWith(QLatin1Char('\t') + d.text));
        }
    }
    EXPECT_GE(textsCompared, 45);
}

TEST_F(PeerVectorsTest, SubmitRowsAreListedWithoutTextAndTheirTextsRoundTrip) {
    QMap<QString, QString> wholeTexts;  // the long texts given once for their parts
    int roundTrips = 0;
    int byteIdentical = 0;
    for (const TsvRow& row : rows) {
        if (Field(row, "kind") != QLatin1String("submit"))
            continue;
        SCOPED_TRACE(row[QStringLiteral("source")].toStdString());
        const QString pdu = Field(row, "pdu");
        SMScoder coder;
        coder.setRowSMS(pdu);
        EXPECT_EQ(coder.PlainSMS(), QString()) << "a listed SMS-SUBMIT is no received message";
        const Decision* decision = DecisionFor(row);
        if (decision && decision->invalid) {
            EXPECT_EQ(coder.Decoded().kind, PduKind::Invalid);
        } else {
            EXPECT_EQ(coder.Decoded().kind, PduKind::Submit);
            if (!Field(row, "number").isEmpty()) {
                EXPECT_EQ(coder.Decoded().number, Field(row, "number"));
            }
        }

        QString text = Field(row, "text_utf8");
        const QString whole =
            NoteValue(Field(row, "notes"), QStringLiteral("whole text = \"(.+)\"(;|$)"));
        if (text.isEmpty() && !whole.isEmpty() && !wholeTexts.contains(whole))
            text = wholeTexts[whole] = whole;
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
            const QString element = elements[i];
            const int dash = element.lastIndexOf(QLatin1Char('-'));
            const DecodedPdu d = DecodePdu(QStringView(element).left(dash));
            ASSERT_EQ(d.kind, PduKind::Submit);
            EXPECT_EQ(d.number, QStringLiteral("+79001234567"));
            EXPECT_EQ(d.hasConcat, elements.size() > 1);
            if (d.hasConcat) {
                EXPECT_EQ(d.concat.total, elements.size());
                EXPECT_EQ(d.concat.sequence, i + 1);
            }
            received += d.text;
        }
        EXPECT_EQ(received, text);
        ++roundTrips;

        // Where the peer built the very PDU ours builds (first octet 11, reference 00,
        // international destination, PID 00, validity AA), the bytes agree.
        const QString peerNumber = Field(row, "number");
        if (peerNumber.startsWith(QLatin1Char('+')) && elements.size() == 1) {
            QString again = text;
            const QString element = coder.PrepareSend(peerNumber, again, smsc, 0).value(0);
            if (element.left(element.lastIndexOf(QLatin1Char('-'))) == pdu.toUpper())
                ++byteIdentical;
        }
    }
    EXPECT_GE(roundTrips, 45);
    EXPECT_GE(byteIdentical, 3);  // hola, Hölä, hellohello
}

}  // namespace
