// Which waiting parts of long messages are joined, which are released one by one, and which wait
// on: the cases are in tests/data/part_joining.tsv.
#include <gtest/gtest.h>

#include <QFile>

#include "app/PartJoining.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

namespace {

QStringList Items(const QString& column) {
    return column.isEmpty() ? QStringList() : column.split(u';');
}

QList<Journal::WaitingPart> Parts(const QString& column) {
    QList<Journal::WaitingPart> parts;
    for (const QString& item : Items(column)) {
        const QStringList f = item.split(u' ');
        parts << Journal::WaitingPart{
            f[5], f[0], f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toLongLong(), {}, f[5]};
    }
    return parts;
}

TEST(PartJoining, JoinsCompleteMessagesAndReleasesTheOverdue) {
    QFile table(testsupport::SourceDir() + u"/tests/data/part_joining.tsv"_s);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    int cases = 0;
    for (const QString& line : QString::fromUtf8(table.readAll()).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList c = line.split(u'\t');
        ASSERT_EQ(c.size(), 7) << line.toStdString();
        SCOPED_TRACE(c[0].toStdString());
        ++cases;
        const JoinPlan plan =
            PlanJoins(Parts(c[1]), c[2].toLongLong(), c[3].toLongLong(), c[4] == u"1"_s);
        QStringList joined, timedOut;
        for (const ReleasedText& row : plan.joined) {
            joined << row.text;
            EXPECT_EQ(row.digests.join(QString()), row.text);  // each part settled, in order
        }
        for (const TimedOutMessage& message : plan.timedOut) {
            QStringList texts;
            for (const ReleasedText& part : message.parts)
                texts << part.text;
            timedOut << message.sender + u' ' + QString::number(message.reference) + u": "_s +
                            texts.join(u',');
        }
        EXPECT_EQ(joined, Items(c[5]));
        EXPECT_EQ(timedOut, Items(c[6]));
    }
    EXPECT_EQ(cases, 8);
}

}  // namespace
