#include "app/ReportPairing.h"

#include <QRegularExpression>

#include "pdu/PduEncoder.h"

namespace ReportPairing {

namespace {
QString SentDigits(const QString& number) {
    const std::optional<WrittenNumber> written =
        ParseWrittenNumber(ParseCodingOverride(number).number);
    return written ? DestinationDigits(*written) : QString();
}
}  // namespace

QString ReferenceList(const QMap<int, int>& referenceByPart, int parts) {
    if (referenceByPart.isEmpty())
        return {};
    QStringList list;
    for (int part = 1; part <= parts; ++part)
        list << (referenceByPart.contains(part) ? QString::number(referenceByPart[part])
                                                : QStringLiteral("-"));
    return list.join(QLatin1Char(','));
}

QList<int> ReferencesOf(const QString& list) {
    QList<int> references;
    for (const QString& field : list.split(QLatin1Char(','))) {
        bool number = false;
        const int reference = field.trimmed().toInt(&number);
        if (number || field.trimmed() == QLatin1String("-"))
            references << (number ? reference : -1);
    }
    return references;
}

bool IsPending(int status) {
    return status >= 0x20 && status < 0x40;
}
bool IsFailure(int status) {
    return status >= 0x40;
}

RowOutcome Combined(const QList<int>& partStatuses) {
    for (const int status : partStatuses)
        if (IsFailure(status))
            return {status, true};
    for (const int status : partStatuses)
        if (IsPending(status))
            return {status, false};
    if (partStatuses.isEmpty() || partStatuses.contains(-1))
        return {};
    for (const int status : partStatuses)
        if (status != 0)
            return {status, true};
    return {0, true};
}

QDateTime DischargeMoment(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[.: ]+"));
    const QStringList f = text.trimmed().split(separators);
    if (f.size() != 6)
        return {};
    return QDateTime(QDate(2000 + f[2].toInt(), f[1].toInt(), f[0].toInt()),
                     QTime(f[3].toInt(), f[4].toInt(), f[5].toInt()));
}

bool SameSubscriber(const QString& tableNumber, const QString& recipient) {
    const QString digits = SentDigits(recipient);
    return !digits.isEmpty() && digits == SentDigits(tableNumber);
}

}  // namespace ReportPairing
