#pragma once
// The rules of paired delivery reports, as pure functions: the Reference list of a row, the TP-ST
// classes (TS 23.040 9.2.3.15), the outcome of a row from the reports of its parts, and who a
// report is about.
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace ReportPairing {

// How long the reports of a long message's other parts can still come after one came: the
// validity every SMS-SUBMIT carries (four days, after which the centre gives up and reports
// so), and a day for a report that waits in the phone while the gateway is down.
constexpr int kReportWindowDays = 4 + 1;

// What the gateway keeps of a listed status report until it is stored.
struct ListedReport {
    int reference = -1;  // TP-MR of the message reported on
    QString recipient;
    int status = -1;  // TP-ST
    QString dischargeTime;
};

// "12,13,14": the references of parts 1 to parts in order, "-" for a part the phone has given
// none (not sent yet, or taken as sent without its answer), so that a row is never final before
// every part has reported; "" when no part has one.
QString ReferenceList(const QMap<int, int>& referenceByPart, int parts);
// The numbers of such a list, -1 for "-"; anything else in it is skipped.
QList<int> ReferencesOf(const QString& list);

// 0x20-0x3F: the centre still tries. 0x40 and above: it gave up (final). Below: done.
bool IsPending(int status);
bool IsFailure(int status);

// What a row says, from the latest TP-ST of each of its parts (-1: no report yet), in part order.
// A failure is final at once (the first one closes the row); else a pending part holds the row
// pending; else the row waits while a part has no report; else it is final: 0 when every part
// was delivered, or the first other completed status.
struct RowOutcome {
    std::optional<int> status;  // empty: nothing to say yet
    bool final = false;
};
RowOutcome Combined(const QList<int>& partStatuses);

// The report's discharge time as the decoder shows it ("05.12.26  14:03:07"), in the 2000s;
// invalid when it cannot be read.
QDateTime DischargeMoment(const QString& text);

// A send-table number and a report's recipient name one subscriber: the digits the encoder
// sends to ("+7 900 ...", "8900..." and "7900..." alike).
bool SameSubscriber(const QString& tableNumber, const QString& recipient);

}  // namespace ReportPairing
