#pragma once
// Field parsing of the PDUs a phone lists (TS 23.040): received messages (SMS-DELIVER), delivery
// reports (SMS-STATUS-REPORT) and sent or unsent messages (SMS-SUBMIT). Every read is checked
// against the data present: a PDU that is too short or malformed gives the kind Invalid and no
// text, never garbage.
#include <QString>
#include <QStringView>

enum class PduKind { Invalid, Deliver, StatusReport, Submit };

// "deliver", "status-report", "submit", "invalid"
QString PduKindName(PduKind kind);

enum class PduAlphabet { Gsm7, EightBit, Ucs2 };

struct PduConcat {
    int reference = 0;  // 8-bit or 16-bit reference
    int total = 0;
    int sequence = 0;
};

struct DecodedPdu {
    PduKind kind = PduKind::Invalid;
    QString smsc;    // "+" and digits for an international number, else the digits; "" when absent
    QString number;  // originator (deliver), destination (submit) or recipient (status report);
                     // an alphanumeric sender as its text
    QString text;    // user text (deliver, submit); 8-bit data as upper-case hex
    int dcs = -1;    // data coding scheme octet, -1 when the kind has none
    PduAlphabet alphabet = PduAlphabet::Gsm7;
    bool hasConcat = false;
    PduConcat concat;
    int status = -1;            // status report: TP-ST
    int messageReference = -1;  // status report: TP-MR of the message it reports on
    QString dischargeTime;      // status report: "dd.MM.yy  hh:mm:ss"

    void clear();
};

// Decodes hex text (either letter case; blanks, tabs and line breaks are skipped) into `out`,
// reusing its strings' storage.
void DecodePdu(QStringView hex, DecodedPdu& out);
DecodedPdu DecodePdu(QStringView hex);

// The alphabet a data coding scheme octet selects (TS 23.038 coding groups).
PduAlphabet AlphabetOfDcs(int dcs);
