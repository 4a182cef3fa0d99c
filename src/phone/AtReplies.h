#pragma once
// Pure functions over the text a phone sends back: where a reply ends, what the exchange made of
// it, and the values the commands read out of it. A reply is the raw text of one exchange: the
// phone's echo, unsolicited lines, the answer and the final result, with CR and LF as received.
#include <QString>
#include <QStringList>

namespace AtReplies {

// Whether the final result of a reply has arrived: a whole line "OK", "ERROR",
// "+CMS ERROR: n" or "+CME ERROR: n", or the prompt "> " that waits for a PDU. Unterminated:
// the text ends with such a line but without its line end, or with only the CR of its CR LF, or
// with a bare ">", so more bytes may still belong to it.
enum class Final { None, Unterminated, Complete };
Final FindFinal(const QString& reply);
bool IsFinalResultLine(const QString& line);

// The outcome word of an exchange: "OK" when the reply contains the awaited text (that wins
// over an error), "Error" when it contains "ERROR", otherwise "No answer".
QString OutcomeOf(const QString& reply, const QString& awaited);

// The reply split at each CR LF; a lone CR stays inside its line.
QStringList SplitLines(const QString& reply);
// Spaces removed at both ends (only spaces: a CR at a line's end stays).
QString TrimSpaces(const QString& text);

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
// The stored messages of a listing reply, in the order listed. Only a PDU line that follows a
// "+CMGL:" header counts; other lines are not stored messages.
QList<ListedMessage> ListedMessages(const QString& reply);

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
