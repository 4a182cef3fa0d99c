#include "phone/AtReplies.h"

#include "settings/Conversions.h"

namespace AtReplies {

namespace {
const QString kOk = QStringLiteral("OK");
const QString kAt = QStringLiteral("AT");
const QString kError = QStringLiteral("ERROR");

bool IsLineBreak(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool IsErrorWithCode(const QString& line, QLatin1String head) {
    return line.startsWith(head) && line.size() > head.size();
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

bool IsFinalResultLine(const QString& line) {
    const QString t = line.trimmed();
    return t == kOk || t == kError || IsErrorWithCode(t, QLatin1String("+CMS ERROR:")) ||
           IsErrorWithCode(t, QLatin1String("+CME ERROR:"));
}

Final FindFinal(const QString& reply) {
    int start = 0;
    const int n = reply.size();
    for (int i = 0; i < n; ++i) {
        if (!IsLineBreak(reply[i]))
            continue;
        const QString line = reply.mid(start, i - start);
        if (IsFinalResultLine(line) || line.trimmed() == QLatin1String(">")) {
            // The LF of a closing CR LF still on its way would spill into the next reply.
            const bool lfMayFollow = reply[i] == QLatin1Char('\r') && i + 1 == n;
            return lfMayFollow ? Final::Unterminated : Final::Complete;
        }
        start = i + 1;
    }
    const QString tail = reply.mid(start);
    if (tail == QLatin1String("> "))
        return Final::Complete;
    const QString t = tail.trimmed();
    if (t == QLatin1String(">") || IsFinalResultLine(t))
        return Final::Unterminated;
    return Final::None;
}

QString OutcomeOf(const QString& reply, const QString& awaited) {
    if (reply.contains(awaited))
        return QStringLiteral("OK");
    if (reply.contains(kError))
        return QStringLiteral("Error");
    return QStringLiteral("No answer");
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

QString SmscNumber(const QString& reply) {
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
    return TrimSpaces(JoinLinesWithout(replies, kAt, kOk));
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
    const QStringList lines = SplitLines(reply);
    for (int i = 1; i < lines.size(); ++i) {
        const QString header = lines[i - 1];
        if (!header.startsWith(QLatin1String("+CMGL:")))
            continue;
        const QString index = header.mid(6).section(QLatin1Char(','), 0, 0).trimmed();
        listed.append({index.toLongLong(), lines[i].trimmed()});
    }
    return listed;
}

Level AntennaLevel(const QString& reply, const QString& errorWord) {
    const QString text = LevelText(reply, errorWord);
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString after = colon < 0 ? text : text.mid(colon + 1);
    return ClampedLevel(TrimSpaces(TrimSpaces(after).left(3)), 31);
}

Level BatteryLevel(const QString& reply, const QString& errorWord) {
    return ClampedLevel(TrimSpaces(LevelText(reply, errorWord).right(4)), 100);
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
