// The pure text helpers of the pipelines, over real listings and the awkward inputs.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "app/MessageText.h"
#include "settings/Records.h"
#include "testsupport.h"

namespace {

TEST(CleanText, RemovesOnlyNulCharacters) {
    const struct {
        QString in, out;
    } rows[] = {
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QString::fromUtf8("a\0b\0", 4), QStringLiteral("ab")},
        // What used to be mangled now reaches the table as sent.
        {QStringLiteral("It's \"quoted\" C:\\path"), QStringLiteral("It's \"quoted\" C:\\path")},
        {QStringLiteral("line one\r\nline two\n"), QStringLiteral("line one\r\nline two\n")},
        {QStringLiteral("date\t+7900\ttab\tinside"), QStringLiteral("date\t+7900\ttab\tinside")},
        {QStringLiteral("Привет ёЁ"), QStringLiteral("Привет ёЁ")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CleanText(r.in), r.out) << r.in.toStdString();
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
    const auto rows = testsupport::ReadTsv(testsupport::SharedDir() +
                                           QStringLiteral("/modem-replies/replies.tsv"));
    ASSERT_FALSE(rows.isEmpty());
    static const QRegularExpression header(QStringLiteral("^\\+CMGL: (\\d+),"));
    int pduLines = 0;
    for (const auto& row : rows) {
        if (row[QStringLiteral("command")] != QLatin1String("AT+CMGL=4"))
            continue;
        QString reply = row[QStringLiteral("reply")];
        if (reply.contains(QLatin1String("\\r\\n")))  // escapes not undone by the reader
            reply = testsupport::Unescape(reply);
        const QStringList lines = reply.split(QStringLiteral("\r\n"));
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
    EXPECT_FALSE(IsPduLine(QString(25, QLatin1Char('0'))));
    EXPECT_TRUE(IsPduLine(QString(26, QLatin1Char('0'))));
    EXPECT_FALSE(IsPduLine(QStringLiteral("+CMGL: 12,1,,30")));
}

TEST(SplitReceived, KeepsTabsInsideTheText) {
    const ReceivedFields f =
        SplitReceived(QStringLiteral("13\t05.12.26 14:03\t+79001234567\tcol1\tcol2\t"));
    EXPECT_EQ(f.key, QStringLiteral("13"));
    EXPECT_EQ(f.dateTime, QStringLiteral("05.12.26 14:03"));
    EXPECT_EQ(f.phone, QStringLiteral("+79001234567"));
    EXPECT_EQ(f.text, QStringLiteral("col1\tcol2\t"));
}

TEST(SplitReceived, MissingFieldsStayEmpty) {
    const ReceivedFields f = SplitReceived(QStringLiteral("21\tdate"));
    EXPECT_EQ(f.key, QStringLiteral("21"));
    EXPECT_EQ(f.dateTime, QStringLiteral("date"));
    EXPECT_TRUE(f.phone.isEmpty());
    EXPECT_TRUE(f.text.isEmpty());
}

TEST(SplitEncodedPart, SplitsAtTheLastDash) {
    const EncodedPart p = SplitEncodedPart(
        QStringLiteral("07919700111111F111000B919700214365F70000AA05E8329BFD06-19"));
    EXPECT_EQ(p.pdu, QStringLiteral("07919700111111F111000B919700214365F70000AA05E8329BFD06"));
    EXPECT_EQ(p.length, QStringLiteral("19"));
    EXPECT_EQ(SplitEncodedPart(QStringLiteral("a-b-7")).pdu, QStringLiteral("a-b"));
    EXPECT_EQ(SplitEncodedPart(QStringLiteral("ABCD")).length, QString());
}

TEST(SendRows, RowsOfFiveCharactersOrFewerCarryNothing) {
    EXPECT_FALSE(IsSendRow(QString()));
    EXPECT_FALSE(IsSendRow(QStringLiteral("1\0"
                                          "2\0"
                                          "x")
                               .left(5)));
    EXPECT_TRUE(IsSendRow(QString::fromUtf8("1\0"
                                            "23\0"
                                            "xy",
                                            7)
                              .left(6)));
}

TEST(SendRows, SplitAtNul) {
    const SendRow r = SplitSendRow(QString::fromUtf8("17\0+79001234567\0Hello\0tail", 26));
    EXPECT_EQ(r.key, QStringLiteral("17"));
    EXPECT_EQ(r.number, QStringLiteral("+79001234567"));
    EXPECT_EQ(r.text, QString::fromUtf8("Hello\0tail", 10));
}

TEST(ListLines, BothListsInTheirColumnOrder) {
    MsgToSend s;
    s.setMsgID(QStringLiteral("17"));
    s.setStatus(4);
    s.setSendAttempts(1);
    s.setPhone(QStringLiteral("79001234567"));
    s.setMsgText(QStringLiteral("Привет"));
    EXPECT_EQ(SendLine(s), QStringLiteral("17\t4\t1\t79001234567 Привет"));

    ReceivedMsg r;
    r.setMsgID(QStringLiteral("112"));
    r.setDateTime(QStringLiteral("05.12.26 14:03:07"));
    r.setPhone(QStringLiteral("+79001234567"));
    r.setMsgText(QStringLiteral("hello"));
    EXPECT_EQ(ReceivedLine(r), QStringLiteral("112\tFalse\t05.12.26 14:03:07\t+79001234567 hello"));
    r.setWrittenToDbase(true);
    EXPECT_TRUE(ReceivedLine(r).startsWith(QStringLiteral("112\tTrue\t")));
}

}  // namespace

namespace {

TEST(LoadSendRow, LoadsOnceDropsPlusAndSkipsEmptyRows) {
    SendCollection sends;
    const QString row = QString::fromUtf8("17\0+79001234567\0Hello", 21);
    EXPECT_TRUE(LoadSendRow(sends, row));
    sends.item(1).setSendAttempts(1);
    EXPECT_FALSE(
        LoadSendRow(sends, row));  // still waiting in the table: the record keeps its state
    EXPECT_FALSE(LoadSendRow(sends, QString()));
    ASSERT_EQ(sends.count(), 1);
    EXPECT_EQ(sends.item(1).Phone(), QStringLiteral("79001234567"));
    EXPECT_EQ(sends.item(1).Status(), MsgToSend::StatusLoaded);
    EXPECT_EQ(sends.item(1).SendAttempts(), 1);
}

}  // namespace
