#include "app/MessageText.h"

#include "settings/Conversions.h"
#include "settings/Records.h"

namespace {
constexpr int kSendRowMinLength = 6;
const QChar kTab = QLatin1Char('\t');
}  // namespace

QString CleanText(const QString& decoded) {
    QString out = decoded;
    out.remove(QChar(0));
    return out;
}

ReceivedFields SplitReceived(const QString& line) {
    ReceivedFields f;
    QString rest = line;
    QString* const heads[] = {&f.key, &f.dateTime, &f.phone};
    for (QString* head : heads) {
        const int tab = rest.indexOf(kTab);
        if (tab < 0) {
            *head = rest;
            return f;
        }
        *head = rest.left(tab);
        rest = rest.mid(tab + 1);
    }
    f.text = rest;
    return f;
}

EncodedPart SplitEncodedPart(const QString& part) {
    const int dash = part.lastIndexOf(QLatin1Char('-'));
    if (dash < 0)
        return {part, QString()};
    return {part.left(dash), part.mid(dash + 1)};
}

bool IsSendRow(const QString& row) {
    return row.size() >= kSendRowMinLength;
}

SendRow SplitSendRow(const QString& row) {
    const QStringList f = row.split(QChar(0));
    SendRow r;
    r.key = f.value(0);
    r.number = f.value(1);
    // A text holding NUL itself keeps everything after the second separator.
    r.text = f.size() > 2 ? f.mid(2).join(QChar(0)) : QString();
    return r;
}

bool LoadSendRow(SendCollection& sends, const QString& row) {
    if (!IsSendRow(row))
        return false;
    const SendRow fields = SplitSendRow(row);
    if (sends.contains(fields.key))
        return false;
    MsgToSend msg;
    msg.setMsgID(fields.key);
    // Kept as written: the encoder needs the "+" to tell +84... from the national 8...
    msg.setPhone(fields.number);
    msg.setMsgText(fields.text);
    msg.setStatus(MsgToSend::StatusLoaded);
    return sends.add(std::move(msg));
}

QString SendLine(const MsgToSend& msg) {
    return msg.MsgID() + kTab + QString::number(msg.Status()) + kTab +
           QString::number(msg.SendAttempts()) + kTab + msg.Phone() + QLatin1Char(' ') +
           msg.MsgText();
}

QString ReceivedLine(const ReceivedMsg& msg) {
    return msg.MsgID() + kTab +
           (msg.WrittenToDbase() ? QStringLiteral("True") : QStringLiteral("False")) + kTab +
           msg.DateTime() + kTab + msg.Phone() + QLatin1Char(' ') + msg.MsgText();
}
