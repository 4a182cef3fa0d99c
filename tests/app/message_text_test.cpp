// The pure text helpers of the pipelines, over real listings and the awkward inputs.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "app/MessageText.h"
#include "settings/Records.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

namespace {

TEST(CleanText, RemovesOnlyNulCharacters) {
    EXPECT_EQ(CleanText(QString::fromUtf8("a\0b\0", 4)), u"ab"_s);
    // What used to be mangled reaches the table as sent.
    const QString awkward = u"It's \"quoted\" C:\\path\r\nline two\n\ttab Привет ёЁ"_s;
    EXPECT_EQ(CleanText(awkward), awkward);
}

TEST(ListingIndex, ReadsTheIndexBeforeTheFirstComma) {
    const struct {
        const char* header;
        qint64 index;
    } rows[] = {
        {"+CMGL: 3,0,,25", 3},  {"+CMGL: 12,1,,30", 12}, {"+CMGL: 0,1,,147", 0},
        {"+CMGL: 17,3,35", 17}, {"+CMGL:5,1,,20", 0},    {"", 0},
        {"garbage", 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ListingIndex(QString::fromLatin1(r.header)), r.index) << r.header;
}

// Every CMGL=4 listing of the shared modem replies: the header in front of each PDU line gives
// the index the phone printed.
TEST(ListingIndex, MatchesTheIndexOfEveryRealListing) {
    const auto rows =
        testsupport::ReadTsv(testsupport::SharedDir() + u"/modem-replies/replies.tsv"_s);
    ASSERT_FALSE(rows.isEmpty());
    static const QRegularExpression header(u"^\\+CMGL: (\\d+),"_s);
    int pduLines = 0;
    for (const auto& row : rows) {
        if (row[u"command"_s] != QLatin1String("AT+CMGL=4"))
            continue;
        QString reply = row[u"reply"_s];
        if (reply.contains(QLatin1String("\\r\\n")))  // escapes not undone by the reader
            reply = testsupport::Unescape(reply);
        const QStringList lines = reply.split(u"\r\n"_s);
        for (int i = 1; i < lines.size(); ++i) {
            if (!IsPduLine(lines[i]))
                continue;
            const auto m = header.match(lines[i - 1]);
            ASSERT_TRUE(m.hasMatch()) << lines[i - 1].toStdString();
            EXPECT_EQ(ListingIndex(lines[i - 1]), m.captured(1).toLongLong());
            ++pduLines;
        }
    }
    EXPECT_GE(pduLines, 8);
}

TEST(IsPduLine, TwentySixCharactersMakeAPduLine) {
    EXPECT_FALSE(IsPduLine(QString(25, u'0')));
    EXPECT_TRUE(IsPduLine(QString(26, u'0')));
    EXPECT_FALSE(IsPduLine(u"+CMGL: 12,1,,30"_s));
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
