// The reply parsers against replies of real phones (and the fakes of peer test suites), by
// their line in modem-replies/replies.tsv.
#include "phone/AtReplies.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "PhoneFixtures.h"
#include "phone/SerialPort.h"

using namespace AtReplies;
using phonetest::Reply;

namespace {

TEST(FinalResult, RecognisesOnlyWholeFinalLines) {
    const struct {
        const char* name;
        QString reply;
        Final expected;
    } cases[] = {
        {"186 prompt, +CMGS, OK", Reply(186), Final::Complete},
        {"188 ZTE: URCs, then the prompt", Reply(188), Final::Complete},
        {"188 cut before the prompt", Reply(188).section(QStringLiteral("> "), 0, 0), Final::None},
        {"187 +CDSI after OK in the same chunk", Reply(187), Final::Complete},
        {"68 doubled echo, +CME ERROR without line end", Reply(68), Final::None},
        {"OK not ended yet: it may go on", QStringLiteral("\r\nOK"), Final::None},
        {"a line that begins with OK", QStringLiteral("\r\nOKAY\r\nOK 123\r\n"), Final::None},
        {"161 Huawei COMMAND NOT SUPPORT", Reply(161), Final::None},
        {"167 +CME ERROR: 14 alone", Reply(167), Final::Complete},
        {"181 +CMS ERROR: 330", Reply(181), Final::Complete},
        {"170 Nokia N79 with OK half read", Reply(170).left(12), Final::None},
        {"NOKIA holds OK but is a model name", QStringLiteral("AT+CGMI\r\r\nNOKIA\r\n"),
         Final::None},
        {"lowercase ok", QStringLiteral("\r\nok\r\n"), Final::None},
        {"+CMS ERROR: without a code", QStringLiteral("\r\n+CMS ERROR:\r\n"), Final::None},
        {"bare prompt without its space", QStringLiteral("AT+CMGS=23\r\r\n>"), Final::Unterminated},
        {"echo alone", QStringLiteral("ATZ\r"), Final::None},
        {"OK with its LF still to come", QStringLiteral("ATZ\r\r\nOK\r"), Final::Unterminated},
        {"77 Gammu mock: CR alone inside", Reply(77), Final::Complete},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindFinal(c.reply), c.expected) << c.name;
}

// Fed byte by byte, the search going on where it stood, every real reply is first seen complete
// right after a whole final line (or the prompt), never in the middle of a line.
TEST(FinalResult, NeverCompleteInsideALine) {
    const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    int complete = 0;
    for (const auto& row : phonetest::ReplyRows()) {
        const QString reply = phonetest::ReplyText(row);
        FinalSearch search;
        for (int n = 1; n <= reply.size(); ++n) {
            const QString prefix = reply.left(n);
            search = FindFinal(prefix, search.lineStart);
            EXPECT_EQ(search.final, FindFinal(prefix));
            if (search.final != Final::Complete)
                continue;
            ++complete;
            if (prefix.endsWith(QLatin1String("> ")) || prefix.endsWith(QLatin1String("> \r\n")))
                break;
            const QChar last = prefix.back();
            ASSERT_TRUE(last == QLatin1Char('\r') || last == QLatin1Char('\n'))
                << row["source"].toStdString();
            QString body = prefix;
            while (body.endsWith(QLatin1Char('\r')) || body.endsWith(QLatin1Char('\n')))
                body.chop(1);
            const QString line = body.section(lineBreak, -1);
            EXPECT_TRUE(IsFinalResultLine(line)) << row["source"].toStdString();
            break;
        }
    }
    // Most rows end in a final result; a detector that finds none would pass the loop above.
    EXPECT_GT(complete, 120);
}

TEST(Outcome, TheFinalLineDecides) {
    EXPECT_EQ(OutcomeOf(QStringLiteral("AT+CGMI\r\r\nNOKIA\r\n\r\nERROR\r\n"), "OK"), "Error");
    EXPECT_EQ(OutcomeOf(Reply(68), "OK"), "Error");
    EXPECT_EQ(OutcomeOf(Reply(186), ">"), "OK");
    EXPECT_EQ(OutcomeOf(Reply(181), "OK"), "Error");
    EXPECT_EQ(OutcomeOf(Reply(161), "OK"), "No answer");
    EXPECT_EQ(OutcomeOf(QString(), "OK"), "No answer");
}

// Unsolicited lines before, inside or after a listing (here and in the tables below, after
// replies.tsv lines 74, 75, 143) are never taken for stored messages, nor for an answer.
const QString kNewSms = QStringLiteral("+CMTI: \"SM\",1\r\n");
const QString kRouted = "+CMT: ,29\r\n" + Reply(2).section("\r\n", 2, 2) + "\r\n";
const QString kCall = QStringLiteral("RING\r\n+CLIP: \"+79161234567\",145,,,,0\r\n");

TEST(Listing, OnlyStoredMessages) {
    const auto listed = [](const QString& reply) {
        QStringList out;
        for (const ListedMessage& m : ListedMessages(reply))
            out << QString::number(m.index) + ":" + m.pdu.left(8);
        return out.join(' ');
    };
    const QString listing = Reply(190);
    const int second = listing.indexOf("+CMGL: 1");
    EXPECT_EQ(listed(kNewSms + kRouted + listing.left(second) + kCall + kRouted +
                     Reply(75).section("\r\n", 0, 0) + "\r\n" + listing.mid(second) + kRouted),
              "0:07917248 1:07917248 2:07917248");
    EXPECT_EQ(listed("+CMGL:3,0,,29\r\n" + kNewSms + "\r\n" + kRouted.section("\r\n", 1)),
              "3:07913619");
    EXPECT_EQ(listed(Reply(193)), "");  // a text-mode listing
}

TEST(SmscNumber, RealReplies) {
    const struct {
        const char* name;
        QString reply;
        QString expected;
    } cases[] = {
        {"echo, quoted number, OK",
         QStringLiteral("AT+CSCA?\r\r\n+CSCA: \"+79001111111\",145\r\n\r\nOK\r\n"), "79001111111"},
        {"43 quoted international", Reply(43), "79168999100"},
        {"44 quoted national", Reply(44), "6281100000"},
        {"179 no echo", Reply(179), "12345678"},
        {"43 during a call", kCall + Reply(43), "79168999100"},
        // Without a quoted number the joined lines stand, "+" removed.
        {"42 UCS2 hex unquoted", Reply(42),
         "CSCA: 002B00390037003200350034003100320030003000330032,145"},
        {"45 UCS2 hex quoted: its value is 2", Reply(45),
         "CSCA: \"002B003400340037003800300032003000390032003000330035\",145"},
        {"46 empty number", Reply(46), "CSCA: \"\",129"},
        {"180 bare OK", Reply(180), ""},
        {"167 +CME ERROR: 14", Reply(167), ""},
        {"181 +CMS ERROR: 330", Reply(181), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SmscNumber(c.reply), c.expected) << c.name;
}

TEST(ModelName, JoinsManufacturerAndModel) {
    const struct {
        const char* name;
        QString replies;
        QString expected;
    } cases[] = {
        {"147+148 Wavecom with blanks around", Reply(147) + Reply(148),
         "WAVECOM MODEM  MULTIBAND  900E  1800"},
        {"155+156 Huawei", Reply(155) + Reply(156), "huawei K3715"},
        {"138+139 Nokia, no echo and no OK", Reply(138) + Reply(139), "Nokia  Nokia 2720a-2b"},
        {"128+129 Motorola keeps its quotes", Reply(128) + Reply(129), "\"Motorola\"  \"E2\""},
        // "INCORPORATED" holds "AT": the whole manufacturer line is lost.
        {"141+142 Qualcomm", Reply(141) + Reply(142), "88"},
        {"66 Wavecom echo ends CR CR LF", Reply(66), "MULTIBAND  900E  1800"},
        {"155+156 with a network-time line inside",
         Reply(155) + Reply(75).section("\r\n", 0, 0) + "\r\n" + Reply(156), "huawei K3715"},
        {"echoed commands are dropped",
         QStringLiteral("AT+CGMI\r\r\nNokia\r\n\r\nOK\r\nAT+CGMM\r\r\nNokia N79\r\n\r\nOK\r\n"),
         "Nokia  Nokia N79"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModelName(c.replies), c.expected) << c.name;
}

TEST(MessageReference, FromTheSendResult) {
    const struct {
        const char* name;
        QString reply;
        int expected;
    } cases[] = {
        {"186 +CMGS: 142 after the prompt", Reply(186), 142},
        {"187 +CDSI after the OK", Reply(187), 183},
        {"189 ZTE: four vendor lines first", Reply(189).replace("<mr>", "7"), 7},
        {"188 the prompt alone", Reply(188), -1},
        {"181 +CMS ERROR: 330", Reply(181), -1},
        {"text mode: a time stamp after the reference",
         QStringLiteral("\r\n+CMGS: 255,\"26/12/05,14:03:07+00\"\r\nOK\r\n"), 255},
        {"out of range", QStringLiteral("\r\n+CMGS: 256\r\nOK\r\n"), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageReference(c.reply), c.expected) << c.name;
}

TEST(ParseAnswer, FirstLineWithThePrefix) {
    EXPECT_EQ(ParseAnswer(QStringLiteral("AT+CPAS\r\r\n+CPAS: 3\r\n\r\nOK\r\n"), "+CPAS:"), "3");
    EXPECT_EQ(ParseAnswer(QStringLiteral("+cpas: 4\r\nOK\r\n"), "+CPAS:"), "4");
    EXPECT_EQ(ParseAnswer(QStringLiteral("+CPAS: 0\r\n+CPAS: 2\r\n"), "+CPAS:"), "0");
    EXPECT_EQ(ParseAnswer(Reply(177), "+CPAS:"), "");
}

TEST(Levels, SignalFromRealReplies) {
    const struct {
        const char* name;
        QString reply;
        QString error;
        QString text;
        qint16 level;
    } cases[] = {
        {"146 framed", Reply(146), "OK", "17", 17},
        {"182", Reply(182), "OK", "18", 18},
        {"183 no space after the colon", Reply(183), "OK", "4", 4},
        {"184 unknown 99", Reply(184), "OK", "99", 31},
        {"182 after a new-SMS line", kNewSms + Reply(182), "OK", "18", 18},
        {"echo", QStringLiteral("AT+CSQ\r\r\n+CSQ: 18,99\r\n\r\nOK\r\n"), "OK", "18", 18},
        // The error code is read as the level: the parser looks after the first colon.
        {"68 doubled echo, +CME ERROR: 515", Reply(68), "Error", "515", 31},
        {"no reply", QString(), "No answer", "0", 0},
    };
    for (const auto& c : cases) {
        const Level level = AntennaLevel(c.reply, c.error);
        EXPECT_EQ(level.text, c.text) << c.name;
        EXPECT_EQ(level.level, c.level) << c.name;
    }
}

TEST(Levels, Battery) {
    const struct {
        QString reply;
        QString error;
        QString text;
        qint16 level;
    } cases[] = {
        {"AT+CBC\r\r\n+CBC: 0,85\r\n\r\nOK\r\n", "OK", "85", 85},
        {"+CBC: 0,100\r\nOK\r\n", "OK", "100", 100},
        {"+CBC: 1,5\r\nOK\r\n", "OK", "5", 5},
        {"", "No answer", "0", 0},
        {"+CBC: 0,85" + Reply(143), "OK", "85", 85},  // OK, then a new-SMS line
        {"AT+CBC\r\r\nERROR\r\n", "Error", "0", 0},
    };
    for (const auto& c : cases) {
        const Level level = BatteryLevel(c.reply, c.error);
        EXPECT_EQ(level.text, c.text) << c.reply.toStdString();
        EXPECT_EQ(level.level, c.level) << c.reply.toStdString();
    }
}

TEST(Commands, StorageSelection) {
    EXPECT_EQ(StorageCommand(1), "AT+CPMS=\"ME\"");
    EXPECT_EQ(StorageCommand(2), "AT+CPMS=\"SM\"");
    EXPECT_EQ(StorageCommand(3), "AT+CPMS=\"MT\"");
    EXPECT_EQ(StorageCommand(4), "AT+CPMS=\"TL\"");
    EXPECT_EQ(StorageCommand(7), "AT+CPMS=");
    EXPECT_EQ(StorageCommand(0), "AT+CPMS=");
}

TEST(Commands, LongTextsAreWrittenIn255CharacterPieces) {
    const struct {
        int length;
        QList<int> pieces;
    } cases[] = {{0, {0}}, {255, {255}}, {256, {255, 1}}, {281, {255, 26}}, {600, {255, 255, 90}}};
    for (const auto& c : cases) {
        QString text;
        for (int i = 0; i < c.length; ++i)
            text += QChar('A' + i % 26);
        const QStringList pieces = WritePieces(text);
        QList<int> sizes;
        for (const QString& p : pieces)
            sizes << p.size();
        EXPECT_EQ(sizes, c.pieces) << c.length;
        EXPECT_EQ(pieces.join(QString()), text);
    }
}

TEST(DeviceNames, FromThePortSetting) {
    EXPECT_EQ(WindowsDeviceName("3"), "COM3:");
    EXPECT_EQ(WindowsDeviceName("9"), "COM9:");
    EXPECT_EQ(WindowsDeviceName("10"), "\\\\.\\COM10");
    EXPECT_EQ(WindowsDeviceName("12"), "\\\\.\\COM12");
    EXPECT_EQ(PosixDeviceName("1"), "/dev/ttyS0");
    EXPECT_EQ(PosixDeviceName("12"), "/dev/ttyS11");
    EXPECT_EQ(PosixDeviceName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(PosixDeviceName("/dev/serial/by-id/usb-1a2b-if00"),
              "/dev/serial/by-id/usb-1a2b-if00");
    EXPECT_EQ(ModeString("19200"), "19200,n,8,1");
}

}  // namespace
