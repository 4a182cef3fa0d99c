#include <gtest/gtest.h>

#include <QStringList>

#include "settings/Collections.h"

namespace {

template <typename Record = MsgToSend>
Record Msg(const QString& id) {
    Record msg;
    msg.setMsgID(id);
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
        collection.add(Msg(id));
    return collection;
}

// MsgIDs compare as exact text; a record whose row is loaded again in the next cycle is dropped,
// the held one keeps its state.
TEST(Collections, OneRecordPerMsgId) {
    SendCollection sends = Filled({"17", "017", "17 ", " 17", ""});
    EXPECT_EQ(sends.count(), 5);
    sends.find("17")->setSendAttempts(1);
    EXPECT_FALSE(sends.add(Msg("17")));
    EXPECT_EQ(sends.count(), 5);
    EXPECT_EQ(sends.item(1).SendAttempts(), 1);
    RecCollection received;  // storage 1 index 13 and storage 11 index 3 stay apart from "113"
    EXPECT_TRUE(received.add(Msg<ReceivedMsg>("113")) && received.add(Msg<ReceivedMsg>("1130")));
    received.item(1).setWrittenToDbase(true);
    EXPECT_FALSE(received.add(Msg<ReceivedMsg>("113")));
    EXPECT_EQ(received.count(), 2);
    EXPECT_TRUE(received.item(1).WrittenToDbase());
    EXPECT_EQ(received.find("11"), nullptr);
}

// Positions count from one in insertion order and stay right after removals; a removed MsgID
// may come again, at the end.
TEST(Collections, PositionsAndLookupsAgreeThroughRemovals) {
    SendCollection sends = Filled({"30", "10", "20", "40"});
    EXPECT_EQ(&sends.item(1), &sends.at(0));
    sends.remove(2);
    sends.remove(0);  // outside: nothing happens
    sends.remove(4);
    EXPECT_EQ(Ids(sends), QStringList({"30", "20", "40"}));
    EXPECT_FALSE(sends.contains("10"));
    for (int position = 1; position <= sends.count(); ++position)
        EXPECT_EQ(sends.find(sends.item(position).MsgID()), &sends.item(position));
    sends.remove(1);
    EXPECT_TRUE(sends.add(Msg("30")));
    EXPECT_EQ(Ids(sends), QStringList({"20", "40", "30"}));
    EXPECT_EQ(sends.find("30"), &sends.item(3));
    sends.clear();
    EXPECT_TRUE(sends.isEmpty());
    EXPECT_FALSE(sends.contains("20"));
}

// A walk that removes records visits every one, also those after a removal; the kept ones keep
// what the walk changed in them.
TEST(Collections, RemovingDuringAWalkVisitsEveryRecord) {
    const struct {
        QStringList ids, removed, kept;
    } cases[] = {
        {{"1", "2", "3"}, {"2"}, {"1", "3"}},
        {{"1", "2", "3", "4"}, {"2", "3"}, {"1", "4"}},  // adjacent removals
        {{"1", "2", "3"}, {"1", "2", "3"}, {}},
        {{"1", "2", "3"}, {"1"}, {"2", "3"}},
        {{"1", "2", "3"}, {"3"}, {"1", "2"}},
        {{"1", "2", "3"}, {}, {"1", "2", "3"}},
    };
    for (const auto& c : cases) {
        SendCollection sends = Filled(c.ids);
        QStringList visited;
        const int removed = sends.removeIf([&](MsgToSend& msg) {
            visited << msg.MsgID();
            msg.setSendAttempts(1);
            return c.removed.contains(msg.MsgID());
        });
        EXPECT_EQ(visited, c.ids) << c.ids.join(',').toStdString();
        EXPECT_EQ(removed, c.removed.size());
        EXPECT_EQ(Ids(sends), c.kept);
        for (const QString& id : c.kept)
            EXPECT_EQ(sends.find(id)->SendAttempts(), 1);
        for (const QString& id : c.removed)
            EXPECT_FALSE(sends.contains(id));
    }
    // A record added during the walk is visited too.
    RecCollection received;
    received.add(Msg<ReceivedMsg>("11"));
    QStringList visited;
    received.removeIf([&](ReceivedMsg& msg) {
        visited << msg.MsgID();
        return msg.MsgID() == "11" && received.add(Msg<ReceivedMsg>("12"));
    });
    EXPECT_EQ(visited, QStringList({"11", "12"}));
    EXPECT_EQ(Ids(received), QStringList({"12"}));
}

}  // namespace
