// The reply parsers against replies of real phones (and the fakes of peer test suites), by
// their line in modem-replies/replies.tsv.
#include "phone/AtReplies.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "PhoneFixtures.h"
#include "phone/SerialPort.h"

using namespace AtReplies;

namespace {

// What one parser makes of its input, as text; `arg` is the parser's second argument.
QString Parsed(const QString& parser, const QString& arg, const QString& in) {
    const auto viaStd = [](std::string (*f)(const std::string&), const QString& s) {
        return QString::fromStdString(f(s.toStdString()));
    };
    const auto level = [](const Level& l) -> QString {
        return l.text + ' ' + QString::number(l.level);
    };
    if (parser == "FindFinal")
        return QStringList{"None", "Unterminated", "Complete"}.value(int(FindFinal(in)));
    if (parser == "ListedMessages") {
        QStringList out;
        for (const ListedMessage& m : ListedMessages(in))
            out << QString::number(m.index) + ":" + m.pdu.left(8);
        return out.join(' ');
    }
    if (parser == "WritePieces") {
        QString text;
        for (int i = 0; i < in.toInt(); ++i)
            text += QChar('A' + i % 26);
        QStringList sizes;
        for (const QString& piece : WritePieces(text))
            sizes << QString::number(piece.size());
        return sizes.join(' ') + (WritePieces(text).join("") == text ? "" : " (text changed)");
    }
    const QMap<QString, std::function<QString()>> parsers{
        {"OutcomeOf", [&] { return OutcomeOf(in, arg); }},
        {"SmscNumber", [&] { return SmscNumber(in); }},
        {"ModelName", [&] { return ModelName(in); }},
        {"MessageReference", [&] { return QString::number(MessageReference(in)); }},
        {"ParseAnswer", [&] { return ParseAnswer(in, arg); }},
        {"AntennaLevel", [&] { return level(AntennaLevel(in, arg)); }},
        {"BatteryLevel", [&] { return level(BatteryLevel(in, arg)); }},
        {"StorageCommand", [&] { return StorageCommand(in.toInt()); }},
        {"WindowsDeviceName", [&] { return viaStd(WindowsDeviceName, in); }},
        {"PosixDeviceName", [&] { return viaStd(PosixDeviceName, in); }},
        {"ModeString", [&] { return viaStd(ModeString, in); }},
    };
    return parsers.contains(parser) ? parsers[parser]() : "(no parser " + parser + ")";
}

// at_replies.tsv: a parser (and its second argument), the reply as pieces of replies.tsv lines
// and literal text, and what the parser makes of it.
TEST(AtReplies, RealReplies) {
    const auto rows = testsupport::DataTsv("at_replies.tsv");
    ASSERT_EQ(rows.size(), 95);
    for (const auto& row : rows) {
        const QString parser = row["parser"];
        EXPECT_EQ(Parsed(parser.section(' ', 0, 0), parser.section(' ', 1),
                         phonetest::Composed(row["reply"])),
                  testsupport::Unescape(row["expected"]))
            << parser.toStdString() << ": " << row["case"].toStdString();
    }
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

}  // namespace
