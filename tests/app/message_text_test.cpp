// The pure text helpers of the pipelines, over the awkward inputs.
#include <gtest/gtest.h>

#include "app/MessageText.h"
#include "settings/Records.h"

using namespace Qt::StringLiterals;

namespace {

// Fields missing from a line stay empty, an empty one as well; the text keeps its tabs. A part
// splits at its last dash; NUL leaves a decoded text.
TEST(MessageText, SplitsReceivedLinesAndEncodedParts) {
    const struct {
        QString line;
        QStringList fields;
    } rows[] = {{u"21\tdate"_s, {u"21"_s, u"date"_s, {}, {}}},
                {u"21\t\t+7900\ta\tb"_s, {u"21"_s, {}, u"+7900"_s, u"a\tb"_s}}};
    for (const auto& r : rows) {
        const ReceivedFields f = SplitReceived(r.line);
        EXPECT_EQ(QStringList({f.key, f.dateTime, f.phone, f.text}), r.fields)
            << r.line.toStdString();
    }
    EXPECT_EQ(SplitEncodedPart(u"a-b-19"_s).pdu + u' ' + SplitEncodedPart(u"a-b-19"_s).length,
              u"a-b 19"_s);
    EXPECT_EQ(SplitEncodedPart(u"ABCD"_s).length, QString());
    EXPECT_EQ(CleanText(QString::fromUtf8("a\0b\0", 4)), u"ab"_s);
}

// A row of five characters or fewer carries nothing; a text holding NUL keeps all of it.
TEST(MessageText, LoadsASendRowOnceKeepsTheNumberAsWrittenAndSkipsEmptyRows) {
    SendCollection sends;
    const QString row = QString::fromUtf8("17\0+79001234567\0Hello\0tail", 26);
    EXPECT_TRUE(LoadSendRow(sends, row));
    sends.item(1).setSendAttempts(1);
    // Still waiting in the table: the record keeps its state.
    EXPECT_FALSE(LoadSendRow(sends, row));
    EXPECT_FALSE(LoadSendRow(sends, QString::fromUtf8("1\0002\0x", 5)));
    EXPECT_TRUE(LoadSendRow(sends, QString::fromUtf8("1\00023\0x", 6)));
    ASSERT_EQ(sends.count(), 2);
    const MsgToSend& first = sends.item(1);
    EXPECT_EQ(QStringList({first.MsgID(), first.Phone(), first.MsgText()}),
              QStringList({u"17"_s, u"+79001234567"_s, QString::fromUtf8("Hello\0tail", 10)}));
    EXPECT_EQ(first.Status(), MsgToSend::StatusLoaded);
    EXPECT_EQ(first.SendAttempts(), 1);
}

}  // namespace
