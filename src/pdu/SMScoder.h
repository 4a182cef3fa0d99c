#pragma once
// The PDU codec the gateway owns: turns an outgoing message into SMS-SUBMIT PDUs and a PDU listed
// by the phone into one line for the receive table. Settings are read as each step needs them;
// nothing here throws.
#include <QString>
#include <QStringList>

#include "files/Clock.h"
#include "pdu/PduDecoder.h"

class SMScoder {
public:
    SMScoder();
    // The clock gives the moment of decoding shown in PlainSMS and written to "NewLog.txt".
    explicit SMScoder(const Clock& clock);

    // The delivery-report choice as decimal text; only "31" asks for a report.
    void setReport(long value);
    QString Report() const;

    // One element per PDU: hex PDU + "-" + length in octets without the SMS-centre field. An
    // empty list when the message cannot be sent; lastError() then says why. With SMS/ToLatin
    // "1" the text is transliterated first and `text` receives the result.
    QStringList PrepareSend(const QString& phone, QString& text, const QString& smsc,
                            qint16 validity);
    QString lastError() const;

    // Decodes at once; "" changes nothing.
    void setRowSMS(const QString& pdu);
    QString RowSMS() const;
    // Moment TAB number TAB text, or "" when the last PDU gave nothing to store.
    QString PlainSMS() const;
    // The fields of the last PDU decoded; a delivery report's text is its report sentence.
    const DecodedPdu& Decoded() const;

private:
    void DecodePDU();
    void ComposeReportSentence();
    QString CurrentStamp();
    int NextReference();

    const Clock* clock_;
    QString report_ = QStringLiteral("11");
    qint16 longId_ = 0;  // 0 until loaded from SMS/LongID
    QString lastError_;
    QString rowSMS_;
    QString plainSMS_;
    DecodedPdu decoded_;
    qint64 stampSecond_ = -1;
    QString stamp_;
};

// The SMSreports word for a delivery report's status: its own key for 00, 22, 46 and 41, else
// the word of the status class (00-1F delivered, 20-3F postponed, 40 and above an error).
QString ReportStatusWord(int status);
