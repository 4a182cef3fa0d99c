#pragma once
// The PDU codec the gateway owns: turns an outgoing message into SMS-SUBMIT PDUs and a PDU listed
// by the phone into one line for the receive table. Settings are read as each step needs them;
// nothing here throws.
#include <QSet>
#include <QString>
#include <QStringList>

#include "files/Clock.h"
#include "pdu/PduDecoder.h"
#include "pdu/PduEncoder.h"

class SMScoder {
public:
    SMScoder();
    // The clock gives the moment of decoding shown in PlainSMS and written to "NewLog.txt".
    explicit SMScoder(const Clock& clock);

    // The delivery-report choice as decimal text; only "31" asks for a report.
    void setReport(long value);
    QString Report() const;
    // With a report asked for, every part of a long message asks for one, not only the last.
    void setReportEveryPart(bool every) { reportEveryPart_ = every; }

    // One element per PDU: hex PDU + "-" + length in octets without the SMS-centre field. An
    // empty list when the message cannot be sent; lastError() then says why (a refused number,
    // more than 20 digits or more than 255 parts can never be sent: IsNeverSendable). With
    // SMS/ToLatin "1" the text is transliterated first and `text` receives the result.
    QStringList PrepareSend(const QString& phone, QString& text, const QString& smsc,
                            qint16 validity);
    // The reason as text ("" after a success), and as a code the pipeline acts on.
    QString lastError() const;
    EncodeError lastErrorCode() const;

    // Decodes at once; "" changes nothing.
    void setRowSMS(const QString& pdu);
    QString RowSMS() const;
    // Moment TAB number TAB text, or "" when the last PDU gave nothing to store.
    QString PlainSMS() const;
    // The fields of the last PDU decoded; a delivery report's text is its report sentence.
    const DecodedPdu& Decoded() const;
    // The last PDU assigned could not be decoded and is seen for the first time under this
    // storage key. Such a PDU stays in the phone (it must not be lost), so it is listed at every
    // cycle; the caller reports it once.
    bool FirstSightOfUndecodable(const QString& storageKey);

private:
    void DecodePDU();
    void ComposeReportSentence();
    QString CurrentStamp();
    int NextReference();

    const Clock* clock_;
    QString report_ = QStringLiteral("11");
    bool reportEveryPart_ = false;
    qint16 longId_ = 0;  // 0 until loaded from SMS/LongID
    EncodeError lastError_ = EncodeError::None;
    QString rowSMS_;
    QString plainSMS_;
    DecodedPdu decoded_;
    QSet<QString> undecodableSeen_;
    qint64 stampSecond_ = -1;
    QString stamp_;
};

// The SMSreports word for a delivery report's status: its own key for 00, 22, 46 and 41, else
// the word of the status class (00-1F delivered, 20-3F postponed, 40 and above an error).
QString ReportStatusWord(int status);
