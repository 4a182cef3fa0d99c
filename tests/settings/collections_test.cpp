#include <gtest/gtest.h>

#include <QStringList>

#include "settings/Collections.h"

namespace {

MsgToSend Outgoing(const QString& id, const QString& text = QStringLiteral("text")) {
    MsgToSend msg;
    msg.setMsgID(id);
    msg.setPhone(QStringLiteral("79001234567"));
    msg.setMsgText(text);
    msg.setStatus(MsgToSend::StatusLoaded);
    return msg;
}

ReceivedMsg Incoming(const QString& id) {
    ReceivedMsg msg;
    msg.setMsgID(id);
    msg.setPhone(QStringLiteral("+79001234567"));
    return msg;
}

template <typename Collection>
QStringList Ids(const Collection& collection) {
    QStringList ids;
    for (int position = 1; position <= collection.count(); ++position)
        ids << collection.item(position).MsgID();
    return ids;
}

SendCollection Filled(const QStringList& ids) {
    SendCollection collection;
    for (const QString& id : ids)
        collection.add(Outgoing(id));
    return collection;
}

TEST(CollectionIdentity, HeldMsgIdIsNotAddedAgainAndKeepsItsState) {
    SendCollection sends;
    ASSERT_TRUE(sends.add(Outgoing(QStringLiteral("17"), QStringLiteral("first"))));
    sends.find(QStringLiteral("17"))->setSendAttempts(1);

    // The row is still waiting in the table in the next cycle: loaded again, dropped.
    EXPECT_FALSE(sends.add(Outgoing(QStringLiteral("17"), QStringLiteral("second"))));
    ASSERT_EQ(sends.count(), 1);
    EXPECT_EQ(sends.item(1).SendAttempts(), 1);
    EXPECT_EQ(sends.item(1).MsgText(), QStringLiteral("first"));
    EXPECT_EQ(sends.item(1).Status(), MsgToSend::StatusLoaded);

    RecCollection received;
    ASSERT_TRUE(received.add(Incoming(QStringLiteral("13"))));
    received.item(1).setWrittenToDbase(true);
    EXPECT_FALSE(received.add(Incoming(QStringLiteral("13"))));
    ASSERT_EQ(received.count(), 1);
    EXPECT_TRUE(received.item(1).WrittenToDbase());
}

TEST(CollectionIdentity, MsgIdsCompareAsExactText) {
    SendCollection sends;
    for (const char* id : {"17", "017", "17 ", " 17", ""})
        EXPECT_TRUE(sends.add(Outgoing(QString::fromLatin1(id)))) << id;
    EXPECT_EQ(sends.count(), 5);
    RecCollection received;  // storage 1 index 13 and storage 11 index 3 stay apart from "113"
    EXPECT_TRUE(received.add(Incoming(QStringLiteral("113"))));
    EXPECT_TRUE(received.add(Incoming(QStringLiteral("1130"))));
    EXPECT_EQ(received.find(QStringLiteral("11")), nullptr);
}

TEST(CollectionIdentity, RemovedMsgIdCanBeAddedAgainAtTheEnd) {
    SendCollection sends = Filled({"1", "2", "3"});
    sends.remove(1);
    EXPECT_FALSE(sends.contains(QStringLiteral("1")));
    EXPECT_TRUE(sends.add(Outgoing(QStringLiteral("1"))));
    EXPECT_EQ(Ids(sends), QStringList({"2", "3", "1"}));
    EXPECT_EQ(sends.find(QStringLiteral("1")), &sends.item(3));
}

TEST(CollectionPositions, AddressFromOneInInsertionOrder) {
    SendCollection sends = Filled({"30", "10", "20"});
    EXPECT_EQ(Ids(sends), QStringList({"30", "10", "20"}));
    EXPECT_EQ(&sends.item(1), &sends.at(0));
    EXPECT_EQ(&sends.item(3), &sends.at(2));
    // Changes made through a position are seen through the MsgID and the other way round.
    sends.item(2).setStatus(MsgToSend::StatusSent);
    EXPECT_EQ(sends.find(QStringLiteral("10"))->Status(), MsgToSend::StatusSent);
    sends.find(QStringLiteral("20"))->setSendAttempts(2);
    EXPECT_EQ(sends.item(3).SendAttempts(), 2);
}

TEST(CollectionPositions, RemoveKeepsLookupsRight) {
    SendCollection sends = Filled({"a", "b", "c", "d"});
    sends.remove(2);
    sends.remove(0);  // outside: nothing happens
    sends.remove(4);
    EXPECT_EQ(Ids(sends), QStringList({"a", "c", "d"}));
    EXPECT_EQ(sends.find(QStringLiteral("b")), nullptr);
    for (int position = 1; position <= sends.count(); ++position)
        EXPECT_EQ(sends.find(sends.item(position).MsgID()), &sends.item(position));
    sends.clear();
    EXPECT_TRUE(sends.isEmpty());
    EXPECT_FALSE(sends.contains(QStringLiteral("a")));
}

TEST(CollectionWalks, RemovingDuringAWalkVisitsEveryRecord) {
    struct Case {
        QStringList ids;
        QStringList removed;
        QStringList kept;
    } cases[] = {
        {{"1", "2", "3"}, {"2"}, {"1", "3"}},  // record 2 of 3: the third is still visited
        {{"1", "2", "3", "4"}, {"2", "3"}, {"1", "4"}},  // adjacent removals
        {{"1", "2", "3"}, {"1", "2", "3"}, {}},         {{"1", "2", "3"}, {"1"}, {"2", "3"}},
        {{"1", "2", "3"}, {"3"}, {"1", "2"}},           {{"1", "2", "3"}, {}, {"1", "2", "3"}},
    };
    for (const Case& c : cases) {
        SendCollection sends = Filled(c.ids);
        QStringList visited;
        const int removed = sends.removeIf([&](MsgToSend& msg) {
            visited << msg.MsgID();
            return c.removed.contains(msg.MsgID());
        });
        EXPECT_EQ(visited, c.ids) << c.ids.join(',').toStdString();
        EXPECT_EQ(removed, c.removed.size());
        EXPECT_EQ(Ids(sends), c.kept);
        for (const QString& id : c.removed)
            EXPECT_FALSE(sends.contains(id));
    }
}

TEST(CollectionWalks, WalkChangesRecordsInPlace) {
    // Like the write-back: sent records get their final status and leave; failed ones stay
    // with their attempt count raised.
    SendCollection sends = Filled({"1", "2", "3", "4"});
    sends.item(2).setStatus(MsgToSend::StatusSent);
    sends.item(3).setStatus(MsgToSend::StatusSent);
    sends.removeIf([](MsgToSend& msg) {
        if (msg.Status() != MsgToSend::StatusSent) {
            msg.setSendAttempts(static_cast<qint16>(msg.SendAttempts() + 1));
            return false;
        }
        msg.setStatus(MsgToSend::StatusWrittenBack);
        return true;
    });
    EXPECT_EQ(Ids(sends), QStringList({"1", "4"}));
    EXPECT_EQ(sends.item(1).SendAttempts(), 1);
    EXPECT_EQ(sends.item(2).SendAttempts(), 1);
}

TEST(CollectionWalks, RecordsAddedDuringAWalkAreVisited) {
    RecCollection received;
    received.add(Incoming(QStringLiteral("11")));
    QStringList visited;
    received.removeIf([&](ReceivedMsg& msg) {
        visited << msg.MsgID();
        if (msg.MsgID() == QStringLiteral("11"))
            received.add(Incoming(QStringLiteral("12")));
        return msg.MsgID() == QStringLiteral("11");
    });
    EXPECT_EQ(visited, QStringList({"11", "12"}));
    EXPECT_EQ(Ids(received), QStringList({"12"}));
}

}  // namespace
