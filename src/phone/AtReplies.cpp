#include "phone/AtReplies.h"

#include <cctype>

#include "settings/Conversions.h"

namespace AtReplies {

namespace {
const QString kOk = QStringLiteral("OK");
const QString kAt = QStringLiteral("AT");
const QString kError = QStringLiteral("ERROR");

bool IsLineBreak(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool IsErrorWithCode(QStringView line, QLatin1String head) {
    return line.startsWith(head) && line.size() > head.size();
}

bool IsPrompt(QStringView line) {
    return line.trimmed() == QLatin1String(">");
}

bool IsHex(QStringView line) {
    for (const QChar c : line)
        if (c.unicode() > 0x7F || !std::isxdigit(c.unicode()))
            return false;
    return line.size() >= 2;
}

// Lines a phone sends of its own accord: "+..." and "^..." lines other than the command's own
// answer and the error results, and the call lines.
bool IsUnsolicited(QStringView line, QLatin1String ownPrefix) {
    if (line == QLatin1String("RING") || line == QLatin1String("NO CARRIER"))
        return true;
    if (!line.startsWith(QLatin1Char('+')) && !line.startsWith(QLatin1Char('^')))
        return false;
    return (ownPrefix.isEmpty() || !line.startsWith(ownPrefix)) &&
           !line.startsWith(QLatin1String("+CME ERROR")) &&
           !line.startsWith(QLatin1String("+CMS ERROR"));
}

// A routed message or report: the next line is its PDU (or text), not part of the reply.
bool CarriesPdu(QStringView line) {
    return line.startsWith(QLatin1String("+CMT:")) || line.startsWith(QLatin1String("+CDS:")) ||
           line.startsWith(QLatin1String("+CBM:"));
}

// The index of a PDU-mode listing header; -1 for any other line, a text-mode header (quoted
// status) included.
qint64 ListingIndex(QStringView line) {
    const QLatin1String head("+CMGL:");
    if (!line.startsWith(head))
        return -1;
    const auto fields = line.mid(head.size()).split(QLatin1Char(','));
    bool numeric = false;
    const qint64 index = fields[0].trimmed().toLongLong(&numeric);
    const bool textMode = fields.size() > 1 && fields[1].trimmed().startsWith(QLatin1Char('"'));
    return numeric && index >= 0 && !textMode ? index : -1;
}

// The first final result line of a reply, trimmed; the last line counts without its line end.
QString FirstFinalLine(const QString& reply) {
    int start = 0;
    for (int i = 0; i <= reply.size(); ++i) {
        if (i < reply.size() && !IsLineBreak(reply[i]))
            continue;
        const QStringView line = QStringView(reply).mid(start, i - start).trimmed();
        if (IsFinalResultLine(line))
            return line.toString();
        start = i + 1;
    }
    return QString();
}

// Steps 2 to 5 shared by the two levels: the reply without line breaks, "OK" and the outcome
// word, with each comma widened to six spaces.
QString LevelText(const QString& reply, const QString& errorWord) {
    QString text = reply;
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    text.remove(kOk);
    if (!errorWord.isEmpty())
        text.remove(errorWord);
    text.replace(QLatin1Char(','), QStringLiteral("      "));
    return text;
}

Level ClampedLevel(const QString& digits, qint64 top) {
    const qint64 value = LeadingNumber(digits);
    Level out;
    out.text = QString::number(value);
    out.level = static_cast<qint16>(value < 0 ? 0 : value > top ? top : value);
    return out;
}

// Every line that holds neither word, each after one space.
QString JoinLinesWithout(const QString& reply, const QString& a, const QString& b) {
    QString joined;
    for (const QString& line : SplitLines(reply))
        if (!line.contains(a) && !line.contains(b))
            joined += QLatin1Char(' ') + line;
    return joined;
}
}  // namespace

bool IsFinalResultLine(QStringView line) {
    const QStringView t = line.trimmed();
    return t == kOk || t == kError || IsErrorWithCode(t, QLatin1String("+CMS ERROR:")) ||
           IsErrorWithCode(t, QLatin1String("+CME ERROR:"));
}

FinalSearch FindFinal(const QString& reply, int lineStart) {
    const int n = reply.size();
    int start = qBound(0, lineStart, n);
    for (int i = start; i < n; ++i) {
        if (!IsLineBreak(reply[i]))
            continue;
        const QStringView line = QStringView(reply).mid(start, i - start);
        if (IsFinalResultLine(line) || IsPrompt(line)) {
            // The LF of a closing CR LF still on its way would spill into the next reply.
            const bool lfMayFollow = reply[i] == QLatin1Char('\r') && i + 1 == n;
            return {lfMayFollow ? Final::Unterminated : Final::Complete, start};
        }
        start = i + 1;
    }
    const QStringView tail = QStringView(reply).mid(start);
    if (tail == QLatin1String("> "))
        return {Final::Complete, start};
    return {IsPrompt(tail) ? Final::Unterminated : Final::None, start};
}

Final FindFinal(const QString& reply) {
    return FindFinal(reply, 0).final;
}

QString OutcomeOf(const QString& reply, const QString& awaited) {
    if (awaited == kOk) {
        const QString final = FirstFinalLine(reply);
        if (!final.isEmpty())
            return final == kOk ? QStringLiteral("OK") : QStringLiteral("Error");
    } else if (reply.contains(awaited)) {
        return QStringLiteral("OK");
    }
    return reply.contains(kError) ? QStringLiteral("Error") : QStringLiteral("No answer");
}

QString WithoutUnsolicited(const QString& reply, QLatin1String ownPrefix) {
    QStringList kept;
    bool pduFollows = false;
    for (const QString& line : SplitLines(reply)) {
        const QStringView t = QStringView(line).trimmed();
        if (pduFollows && !t.isEmpty()) {
            pduFollows = false;
            continue;
        }
        if (IsUnsolicited(t, ownPrefix)) {
            pduFollows = CarriesPdu(t);
            continue;
        }
        kept << line;
    }
    return kept.join(QStringLiteral("\r\n"));
}

int MessageReference(const QString& reply) {
    const QLatin1String head("+CMGS:");
    for (const QString& line : SplitLines(WithoutUnsolicited(reply, head))) {
        const QStringView t = QStringView(line).trimmed();
        if (!t.startsWith(head))
            continue;
        bool numeric = false;
        const int mr = t.mid(head.size()).split(QLatin1Char(',')).first().trimmed().toInt(&numeric);
        return numeric && mr >= 0 && mr <= 255 ? mr : -1;
    }
    return -1;
}

QStringList SplitLines(const QString& reply) {
    return reply.split(QStringLiteral("\r\n"));
}

QString TrimSpaces(const QString& text) {
    int from = 0;
    int to = text.size();
    while (from < to && text[from] == QLatin1Char(' '))
        ++from;
    while (to > from && text[to - 1] == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

QString SmscNumber(const QString& fullReply) {
    const QString reply = WithoutUnsolicited(fullReply, QLatin1String("+CSCA"));
    if (reply.contains(kError))
        return QString();
    QString text = JoinLinesWithout(reply, kOk, kAt);
    text.remove(QLatin1Char('+'));
    QString result = text;
    for (const QString& piece : text.split(QLatin1Char('"'))) {
        if (LeadingNumber(piece) > 10000) {
            result = piece;
            break;
        }
    }
    return TrimSpaces(result);
}

QString ModelName(const QString& replies) {
    return TrimSpaces(
        JoinLinesWithout(WithoutUnsolicited(replies, QLatin1String("+CGM")), kAt, kOk));
}

QString ParseAnswer(const QString& reply, const QString& prefix) {
    const QString upperPrefix = prefix.toUpper();
    for (QString line : SplitLines(reply.toUpper())) {
        if (line.contains(prefix)) {
            line.remove(upperPrefix);
            return TrimSpaces(line);
        }
    }
    return QString();
}

QList<ListedMessage> ListedMessages(const QString& reply) {
    QList<ListedMessage> listed;
    qint64 waiting = -1;  // the index of a header whose PDU line has not come yet
    bool routedPduFollows = false;
    for (const QString& raw : SplitLines(reply)) {
        const QStringView line = QStringView(raw).trimmed();
        if (line.isEmpty())
            continue;
        if (routedPduFollows) {
            routedPduFollows = false;
        } else if (line.startsWith(QLatin1String("+CMGL:"))) {
            waiting = ListingIndex(line);
        } else if (CarriesPdu(line)) {
            routedPduFollows = true;
        } else if (waiting >= 0 && IsHex(line)) {
            listed.append({waiting, line.toString()});
            waiting = -1;
        }
    }
    return listed;
}

Level AntennaLevel(const QString& reply, const QString& errorWord) {
    const QString text = LevelText(WithoutUnsolicited(reply, QLatin1String("+CSQ")), errorWord);
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString after = colon < 0 ? text : text.mid(colon + 1);
    return ClampedLevel(TrimSpaces(TrimSpaces(after).left(3)), 31);
}

Level BatteryLevel(const QString& reply, const QString& errorWord) {
    const QString text = LevelText(WithoutUnsolicited(reply, QLatin1String("+CBC")), errorWord);
    return ClampedLevel(TrimSpaces(text.right(4)), 100);
}

QString StorageCommand(qint32 storage) {
    static const char* const kNames[] = {"ME", "SM", "MT", "TL"};
    QString command = QStringLiteral("AT+CPMS=");
    if (storage >= 1 && storage <= 4)
        command += QLatin1Char('"') + QLatin1String(kNames[storage - 1]) + QLatin1Char('"');
    return command;
}

QStringList WritePieces(const QString& text) {
    QStringList pieces;
    QString rest = text;
    while (rest.size() >= 256) {
        pieces << rest.left(255);
        rest = rest.mid(255);
    }
    pieces << rest;
    return pieces;
}

}  // namespace AtReplies
