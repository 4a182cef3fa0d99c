// The pure text helpers of the pipelines, over real listings and the awkward inputs.
#include <gtest/gtest.h>

#include "app/MessageText.h"
#include "settings/Records.h"

using namespace Qt::StringLiterals;

namespace {

TEST(CleanText, RemovesOnlyNulCharacters) {
    EXPECT_EQ(CleanText(QString::fromUtf8("a\0b\0", 4)), u"ab"_s);
    // What used to be mangled reaches the table as sent.
    const QString awkward = u"It's \"quoted\" C:\\path\r\nline two\n\ttab Привет ёЁ"_s;
    EXPECT_EQ(CleanText(awkward), awkward);
}

// The text keeps its tabs (see the gateway cycle); fields missing from a line stay empty.
TEST(SplitReceived, MissingFieldsStayEmpty) {
    const ReceivedFields f = SplitReceived(u"21\tdate"_s);
    EXPECT_EQ(QStringList({f.key, f.dateTime, f.phone, f.text}),
              QStringList({u"21"_s, u"date"_s, QString(), QString()}));
}

TEST(SplitEncodedPart, SplitsAtTheLastDash) {
    const EncodedPart p =
        SplitEncodedPart(u"07919700111111F111000B919700214365F70000AA05E8329BFD06-19"_s);
    EXPECT_EQ(p.pdu, u"07919700111111F111000B919700214365F70000AA05E8329BFD06"_s);
    EXPECT_EQ(p.length, u"19"_s);
    EXPECT_EQ(SplitEncodedPart(u"a-b-7"_s).pdu, u"a-b"_s);
    EXPECT_EQ(SplitEncodedPart(u"ABCD"_s).length, QString());
}

// A row of five characters or fewer carries nothing; a text holding NUL keeps all of it.
TEST(LoadSendRow, LoadsOnceKeepsTheNumberAsWrittenAndSkipsEmptyRows) {
    SendCollection sends;
    const QString row = QString::fromUtf8("17\0+79001234567\0Hello\0tail", 26);
    EXPECT_TRUE(LoadSendRow(sends, row));
    sends.item(1).setSendAttempts(1);
    // Still waiting in the table: the record keeps its state.
    EXPECT_FALSE(LoadSendRow(sends, row));
    EXPECT_FALSE(LoadSendRow(sends, QString::fromUtf8("1\0002\0x", 5)));
    EXPECT_TRUE(LoadSendRow(sends, QString::fromUtf8("1\00023\0x", 6)));
    ASSERT_EQ(sends.count(), 2);
    EXPECT_EQ(sends.item(1).MsgID(), u"17"_s);
    EXPECT_EQ(sends.item(1).Phone(), u"+79001234567"_s);  // the encoder needs the "+"
    EXPECT_EQ(sends.item(1).MsgText(), QString::fromUtf8("Hello\0tail", 10));
    EXPECT_EQ(sends.item(1).Status(), MsgToSend::StatusLoaded);
    EXPECT_EQ(sends.item(1).SendAttempts(), 1);
}

TEST(ListLines, BothListsInTheirColumnOrder) {
    MsgToSend s;
    s.setMsgID(u"17"_s);
    s.setStatus(4);
    s.setSendAttempts(1);
    s.setPhone(u"79001234567"_s);
    s.setMsgText(u"Привет"_s);
    EXPECT_EQ(SendLine(s), u"17\t4\t1\t79001234567 Привет"_s);

    ReceivedMsg r;
    r.setMsgID(u"112"_s);
    r.setDateTime(u"05.12.26 14:03:07"_s);
    r.setPhone(u"+79001234567"_s);
    r.setMsgText(u"hello"_s);
    EXPECT_EQ(ReceivedLine(r), u"112\tFalse\t05.12.26 14:03:07\t+79001234567 hello"_s);
    r.setWrittenToDbase(true);
    EXPECT_TRUE(ReceivedLine(r).startsWith(u"112\tTrue\t"_s));
}

}  // namespace
