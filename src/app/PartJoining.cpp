#include "app/PartJoining.h"

#include <QMap>
#include <algorithm>

namespace {

bool SeenEarlier(const Journal::WaitingPart& a, const Journal::WaitingPart& b) {
    return a.firstSeenMs != b.firstSeenMs ? a.firstSeenMs < b.firstSeenMs : a.digest < b.digest;
}

ReleasedText Single(const Journal::WaitingPart& part) {
    return {
        QStringLiteral("#P") + part.digest, part.sender, part.dateTime, part.text, {part.digest}};
}

// Parts in part-number order, one per number, when every number is there; else empty.
QList<Journal::WaitingPart> CompleteSet(const QList<Journal::WaitingPart>& parts) {
    QMap<int, Journal::WaitingPart> bySequence;
    for (const Journal::WaitingPart& part : parts)  // earliest first: it keeps its number
        if (!bySequence.contains(part.sequence))
            bySequence.insert(part.sequence, part);
    const int total = parts.first().total;
    if (bySequence.size() != total || bySequence.firstKey() != 1 || bySequence.lastKey() != total)
        return {};
    return bySequence.values();
}

ReleasedText Joined(const QList<Journal::WaitingPart>& ordered) {
    ReleasedText row = Single(ordered.first());
    row.key[1] = QLatin1Char('J');
    row.text.clear();
    row.digests.clear();
    for (const Journal::WaitingPart& part : ordered) {
        row.text += part.text;
        row.digests << part.digest;
    }
    return row;
}

}  // namespace

QString MessageKeyOf(const Journal::WaitingPart& part) {
    return part.sender + QLatin1Char('/') + QString::number(part.reference) + QLatin1Char('/') +
           QString::number(part.total);
}

JoinPlan PlanJoins(const QList<Journal::WaitingPart>& waiting, qint64 nowMs, qint64 timeoutMs,
                   bool joining) {
    QList<Journal::WaitingPart> parts = waiting;
    std::sort(parts.begin(), parts.end(), SeenEarlier);
    // Messages in the order their first parts were seen, each message's parts likewise.
    QStringList order;
    QHash<QString, QList<Journal::WaitingPart>> messages;
    for (const Journal::WaitingPart& part : parts) {
        const QString key = MessageKeyOf(part);
        if (!messages.contains(key))
            order << key;
        messages[key] << part;
    }
    JoinPlan plan;
    for (const QString& key : order) {
        const QList<Journal::WaitingPart>& message = messages[key];
        const QList<Journal::WaitingPart> complete =
            joining ? CompleteSet(message) : QList<Journal::WaitingPart>();
        if (!complete.isEmpty()) {
            plan.joined << Joined(complete);
            continue;
        }
        if (joining && nowMs - message.first().firstSeenMs < timeoutMs)
            continue;
        TimedOutMessage out{message.first().sender, message.first().reference, {}};
        QList<Journal::WaitingPart> bySequence = message;
        std::stable_sort(bySequence.begin(), bySequence.end(),
                         [](const auto& a, const auto& b) { return a.sequence < b.sequence; });
        for (const Journal::WaitingPart& part : bySequence)
            out.parts << Single(part);
        plan.timedOut << out;
    }
    return plan;
}
