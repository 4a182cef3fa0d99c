// The journal file: what a new reader finds after each kind of step and after a torn last line,
// the file emptied once settled, and a disk that takes nothing more.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "SmallTmpfs.h"
#include "files/Journal.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

TEST(Journal, ANewReaderFindsWhatIsUnsettled) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Pelorus.journal"_s);
    {
        Journal j(path);
        ASSERT_TRUE(j.Load());
        ASSERT_TRUE(j.SendBegun(u"7"_s, 3, 42) && j.PartOffered(u"7"_s, 1) &&
                    j.PartAccepted(u"7"_s, 1, 12) && j.PartOffered(u"7"_s, 2));
        ASSERT_TRUE(j.Stored(u"13"_s, u"d1"_s) && j.Stored(u"21"_s, u"d2"_s) && j.Deleted(u"13"_s));
        ASSERT_TRUE(j.PartReported(u"5"_s, 12, 0x20) && j.PartReported(u"5"_s, 12, 0));
    }
    QFile torn(path);
    // A line of an older gateway (no reference), then a torn one.
    ASSERT_TRUE(torn.open(QIODevice::Append) && torn.write("begin 8 1 0\naccept 8 1\nbegin 9 1 0"));
    torn.close();

    Journal again(path);
    ASSERT_TRUE(again.Load());
    // A second gateway keeps off while this one holds it, trying each cycle without a leak.
    const auto openFiles = [] { return QDir(u"/proc/self/fd"_s).count(); };
    const uint openBefore = openFiles();
    for (int cycle = 0; cycle < 3; ++cycle)
        EXPECT_FALSE(Journal(path).Load());
    EXPECT_EQ(openFiles(), openBefore);
    ASSERT_EQ(again.Sends().size(), 2);
    const Journal::Send& s = again.Sends()[u"7"_s];
    EXPECT_EQ((QList<int>{s.parts, s.reference, s.accepted, s.inFlight}),
              (QList<int>{3, 42, 1, 2}));
    EXPECT_EQ(s.references, (QMap<int, int>{{1, 12}}));
    EXPECT_EQ(again.Sends()[u"8"_s].accepted, 1);
    // Load rewrote the file with the unsettled lines: the reference is among them.
    EXPECT_TRUE(testsupport::ReadBytes(path).contains("\naccept 7 1 12\n"));
    EXPECT_EQ(again.Reports().value(u"5"_s), (QMap<int, int>{{12, 0}}));
    ASSERT_TRUE(again.WrittenBack(u"8"_s, 2) && again.ReportsPaired(u"5"_s));
    EXPECT_EQ(again.StoredMessages(), (QHash<QString, QString>{{u"21"_s, u"d2"_s}}));
    ASSERT_TRUE(again.PartAccepted(u"7"_s, 2) && again.WrittenBack(u"7"_s, 2) &&
                again.Deleted(u"21"_s));
    EXPECT_TRUE(again.Settled());
    ASSERT_TRUE(again.Compact());
    EXPECT_EQ(QFileInfo(path).size(), 0);
    // The lock beside it is the gateway account's alone.
    EXPECT_EQ(QFile::permissions(path + u".lock"_s),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

// A full disk leaves no half line for the next one to join; a second gateway keeps off.
TEST(Journal, AFullDiskLeavesNoHalfLine) {
    SmallTmpfs disk("size=4k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString path = disk.filePath(u"Pelorus.journal"_s);
    Journal second(path);
    {
        Journal j(path);
        ASSERT_TRUE(j.Load() && j.Stored(u"11"_s, u"first"_s) && j.SendBegun(u"7777777"_s, 2, 0) &&
                    j.PartAccepted(u"7777777"_s, 1) && j.PartReported(u"5555555"_s, 12, 0));
        const qint64 before = QFileInfo(path).size();
        EXPECT_FALSE(j.Stored(u"12"_s, QString(5000, u'x')));
        EXPECT_EQ(QFileInfo(path).size(), before);
        for (int n = 100; j.Stored(QString::number(n), u"d"_s); ++n) {  // fills the last page
        }
        // Steps the disk cannot take are known all the same: a part taken as sent unseen, a
        // refusal, a report, reports paired.
        EXPECT_FALSE(j.PartUncertain(u"7777777"_s, 2));
        EXPECT_EQ(j.Sends()[u"7777777"_s].uncertain, true);
        EXPECT_FALSE(j.PartRefused(u"7777777"_s, 1) || j.PartReported(u"6666666"_s, 12, 0));
        EXPECT_EQ(j.Sends()[u"7777777"_s].accepted, 0);
        EXPECT_TRUE(j.Reports().contains(u"6666666"_s));
        EXPECT_FALSE(j.ReportsPaired(u"5555555"_s));
        EXPECT_FALSE(j.Reports().contains(u"5555555"_s));
        // Held by j: a second gateway keeps off; what it learns meanwhile stays in its memory.
        EXPECT_FALSE(second.Load() || second.PartReported(u"6"_s, 12, 0));
    }
    ASSERT_TRUE(second.Load());  // the file alone counts now
    EXPECT_EQ(second.StoredMessages().value(u"11"_s), u"first"_s);
    EXPECT_EQ(second.ReportsOlderThan(-60), QStringList{u"5555555"_s});
}
