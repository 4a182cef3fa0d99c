#pragma once
// Pure functions over the text a phone sends back: where a reply ends, what the exchange made of
// it, and the values the commands read out of it. A reply is the raw text of one exchange: the
// phone's echo, unsolicited lines, the answer and the final result, with CR and LF as received.
#include <QString>
#include <QStringList>

namespace AtReplies {

// Whether the final result of a reply has arrived: a whole line "OK", "ERROR",
// "+CMS ERROR: n" or "+CME ERROR: n" with its line end, or the prompt "> " that waits for a
// PDU. Unterminated: a final line ended by a CR that is the last character (its LF may follow)
// or a bare ">", so more bytes may still belong to it. A line that has not ended yet is never
// final, whatever it begins with ("OK" may go on as "OKAY").
enum class Final { None, Unterminated, Complete };
// Where a search stands: the reply before lineStart holds no final result. Searching again from
// lineStart after the reply has grown reads only the new part, so collecting a reply stays
// linear in its size.
struct FinalSearch {
    Final final = Final::None;
    int lineStart = 0;
};
FinalSearch FindFinal(const QString& reply, int lineStart);
Final FindFinal(const QString& reply);
bool IsFinalResultLine(QStringView line);

// The outcome word of an exchange. Awaiting "OK": the first final result line decides ("OK" or
// "Error"), so an "OK" inside a model name or an unsolicited line is no acceptance; with no
// final line, "Error" when the reply contains "ERROR", otherwise "No answer". Awaiting anything
// else (the prompt): "OK" when the reply contains it, then the same fallbacks.
QString OutcomeOf(const QString& reply, const QString& awaited);

// The reply without the lines the phone sent of its own accord: lines starting with "+" or "^"
// other than the command's own answer (ownPrefix) and the error results, "RING", and the PDU
// line that follows "+CMT:", "+CDS:" or "+CBM:". What is left keeps its bytes.
QString WithoutUnsolicited(const QString& reply, QLatin1String ownPrefix);

// The reply split at each CR LF; a lone CR stays inside its line.
QStringList SplitLines(const QString& reply);
// Spaces removed at both ends (only spaces: a CR at a line's end stays).
QString TrimSpaces(const QString& text);

// The parsers below first drop the unsolicited lines (WithoutUnsolicited).
// The SMS-centre number of an "AT+CSCA?" reply, without "+"; empty when the reply has "ERROR".
QString SmscNumber(const QString& reply);
// Manufacturer and model from the joined "AT+CGMI" and "AT+CGMM" replies.
QString ModelName(const QString& replies);
// The rest of the first line (upper-cased) that holds prefix, with the prefix removed and
// trimmed; empty when no line holds it.
QString ParseAnswer(const QString& reply, const QString& prefix);

// One stored message of an "AT+CMGL" listing: its index in the storage and its PDU line.
struct ListedMessage {
    qint64 index = 0;
    QString pdu;
};
// The stored messages of a listing reply, in the order listed. A stored message is a PDU-mode
// header "+CMGL: index,stat,..." (blank after the colon or not) and the next hex line after it;
// unsolicited lines before, inside or after the listing are skipped, and the PDU line of a
// routed "+CMT:"/"+CDS:"/"+CBM:" is never taken. A text-mode listing holds no stored messages.
QList<ListedMessage> ListedMessages(const QString& reply);

// The message reference (TP-MR, 0 to 255) the phone gave an accepted message: the number of the
// "+CMGS: <mr>" line (any fields after a comma ignored), vendor lines around it skipped; -1 when
// the reply holds no such line or its number is out of range.
int MessageReference(const QString& reply);

// A level read from "+CSQ" or "+CBC": the number as decimal text (kept in Answer) and the
// clamped level. errorWord is the exchange's outcome word, removed from the reply first.
struct Level {
    QString text;
    qint16 level = 0;
};
Level AntennaLevel(const QString& reply, const QString& errorWord);
Level BatteryLevel(const QString& reply, const QString& errorWord);

// "AT+CPMS=" with the quoted storage name of 1 ME, 2 SM, 3 MT, 4 TL; bare for anything else.
QString StorageCommand(qint32 storage);

// A text written as the port's writes: below 256 characters in one piece, otherwise the leading
// 255 characters, then the rest split the same way.
QStringList WritePieces(const QString& text);

}  // namespace AtReplies
