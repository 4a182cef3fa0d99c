// The gateway end to end, as scripts in tests/data/: each case drives a real SQLite file, the
// virtual modem and the pauses on a virtual clock through steps (modem, row, start, cycle, ...),
// and checks what the tables, the phone, the log and the view hold after them ("expect").
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include "GatewayTestKit.h"
#include "files/Journal.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

// A field as the scripts write it: the fixture escapes, and "<x*200>" for 200 times "x".
QString Expand(const QString& field) {
    QString text = testsupport::Unescape(field);
    static const QRegularExpression run(u"<(.)\\*(\\d+)>"_s);
    for (auto m = run.match(text); m.hasMatch(); m = run.match(text))
        text.replace(m.capturedStart(), m.capturedLength(),
                     m.captured(1).repeated(m.captured(2).toInt()));
    return text;
}

// "ME +79001234567 text" (a message from that sender), "ME +79001234567 text #2" (its second part)
// or "SM pdu HEX" (that PDU).
QString InboxLine(const QString& entry) {
    const QString from = entry.section(u' ', 1, 1);
    QString text = Expand(entry.section(u' ', 2)), pdu = text;
    if (from != u"pdu"_s && text.contains(u" #"_s)) {
        const int part = text.section(u" #"_s, -1).toInt();
        text = text.section(u" #"_s, 0, -2);
        const QStringList parts = SMScoder().PrepareSend(from, text, u"79001111111"_s, 0);
        pdu = gatewaytest::DeliverFromSubmit(parts.value(part - 1).section(u'-', 0, 0));
    } else if (from != u"pdu"_s) {
        pdu = gatewaytest::DeliverPdu(from, text);
    }
    return entry.section(u' ', 0, 0) + u':' + pdu;
}

QString Joined(const QList<qint64>& numbers) {
    QStringList texts;
    for (const qint64 n : numbers)
        texts << QString::number(n);
    return texts.join(u' ');
}

// What a check names, as text: "status" the send rows' statuses, "log:TEXT" how many log lines
// hold TEXT, "column:Table.Column" a column's values, "sent" how many PDUs the modem accepted...
QString Observed(GatewayRig& rig, const QString& what) {
    const QString name = what.section(u':', 0, 0),
                  arg = testsupport::Unescape(what.section(u':', 1));
    const QString table = arg.section(u'.', 0, 0), column = arg.section(u'.', 1);
    QList<qint64> n;
    QStringList texts;
    if (name == u"status"_s) {
        for (const auto& row : rig.SendRows())
            n << row.status;
    } else if (name == u"received"_s) {
        return rig.ReceivedTexts().join(u'|');
    } else if (name == u"column"_s) {
        return rig.ReceivedColumn(column, table).join(u'|');
    } else if (name == u"dated"_s) {  // a column, each moment of the last day as "now"
        for (const QString& v : rig.ReceivedColumn(column, table)) {
            const QDateTime at = QDateTime::fromString(v, u"yyyy-MM-dd HH:mm:ss"_s);
            const bool now = at.isValid() && qAbs(at.secsTo(QDateTime::currentDateTime())) < 86400;
            texts << (now ? u"now"_s : v);
        }
    } else if (name == u"received-with"_s) {
        n << rig.ReceivedTexts().filter(arg).size();
    } else if (name == u"phone"_s) {
        return rig.PhoneListing().join(u'|');
    } else if (name == u"listing"_s) {
        n << rig.PhoneListing().size();
    } else if (name == u"log"_s) {
        n << rig.view.LogCount(arg);
    } else if (name == u"logfile"_s) {
        n << rig.LogFileLines().filter(arg).size();
    } else if (name == u"sent"_s) {
        n << rig.Modem().sentPdus().size();
    } else if (name == u"sent-pdus"_s) {  // destination, first octet, reference, part, text size
        for (const QString& pdu : rig.Modem().sentPdus()) {
            const DecodedPdu d = DecodePdu(pdu);
            texts << u"%1 %2 %3 %4 %5"_s.arg(d.number, pdu.mid(16, 2))
                         .arg(d.concat.reference)
                         .arg(d.concat.sequence)
                         .arg(d.text.size());
        }
    } else if (name == u"in-phone"_s) {
        n << rig.Modem().storedMessages();
    } else if (name == u"sent-texts"_s) {  // sent in text mode
        return rig.Modem().sentTexts().join(u'|');
    } else if (name == u"held"_s) {  // records held: to send, received, received and stored
        n << rig.G().Sending().count() << rig.G().Received().count() << 0;
        for (int pos = 1; pos <= rig.G().Received().count(); ++pos)
            n.last() += rig.G().Received().item(pos).WrittenToDbase() ? 1 : 0;
    } else if (name == u"attempts"_s) {
        for (int pos = 1; pos <= rig.G().Sending().count(); ++pos)
            n << rig.G().Sending().item(pos).SendAttempts();
    } else if (name == u"lamp"_s) {
        const quint32 colour = rig.G().Lamps().colour(arg.toInt());
        return colour == AlarmLamps::kRed ? u"red"_s
                                          : (colour == AlarmLamps::kGreen ? u"green"_s : u"off"_s);
    } else if (name == u"shown"_s) {
        n << rig.view.statuses.count(arg);
    } else if (name == u"send-list"_s) {
        return rig.view.sending.join(u'|');
    } else if (name == u"received-list"_s) {
        n << rig.view.received.size();
    } else if (name == u"gauges"_s) {  // battery levels shown, then antenna levels
        for (const int level : rig.view.battery + rig.view.antenna)
            n << level;
    } else if (name == u"state"_s) {  // running, close allowed, cycles, restored, closed, button
        n << rig.G().IsRunning() << rig.G().CloseAllowed() << rig.G().CyclesRun()
          << rig.view.restores << rig.view.closeRequests;
        for (const bool enabled : rig.view.startStop)
            n << enabled;
    } else if (name == u"questions"_s) {
        for (const auto& [title, text] : rig.view.questions)
            texts << title + u": "_s + text;
    } else if (name == u"setting"_s) {  // as written in the settings file
        return rig.SettingInFile(arg.section(u'/', 0, 0), arg.section(u'/', 1));
    } else if (name == u"smsc"_s) {
        return rig.G().SMSC();
    } else if (name == u"journal"_s) {
        return rig.G().WorkJournal().Settled() ? u"settled"_s : u"open"_s;
    } else {
        return u"(no such check: "_s + name + u')';
    }
    return n.isEmpty() ? texts.join(u'|') : Joined(n);
}

// One step of a script; false when the set-up failed and the case cannot go on.
bool Do(GatewayRig& rig, const testsupport::TsvRow& s, std::unique_ptr<Journal>& otherGateway) {
    const QString step = s[u"step"_s], arg = s[u"arg"_s], value = s[u"value"_s];
    if (step == u"modem"_s) {
        QStringList inbox;
        for (const QString& entry : value.split(u'|', Qt::SkipEmptyParts))
            inbox << InboxLine(entry);
        return rig.StartModem(Expand(arg).split(u' ', Qt::SkipEmptyParts), inbox);
    }
    if (step == u"load"_s || step == u"start"_s) {  // start: "answered" if the phone must answer
        rig.Load();
        const bool answered = step == u"load"_s || rig.G().Start();
        return value.isEmpty() || answered == (value == u"answered"_s);
    }
    if (step == u"absent"_s)  // the port names the modem's link, but no modem is there
        rig.SetSetting(u"Phone/ComPort"_s, rig.Modem().link());
    else if (step == u"set"_s)
        rig.SetSetting(arg, value);
    else if (step == u"row"_s)
        rig.AddSendRow(arg == u"NULL"_s ? QString() : Expand(arg), Expand(value));
    else if (step == u"sql"_s)
        return rig.Execute(value);
    else if (step == u"wait"_s)  // for the modem's line (a modem that dropped the line is back)
        return rig.Modem().waitForOutput(value);
    else if (step == u"unplug"_s)
        rig.Modem().stop();
    else if (step == u"database"_s)
        rig.SetDatabaseDown(value == u"down"_s);
    else if (step == u"answer"_s)  // to the centre question
        rig.view.answerYes = value == u"yes"_s;
    else if (step == u"ask-stop"_s)
        rig.G().Stop();
    else if (step == u"cycle"_s)
        rig.RunCycles(value.isEmpty() ? 1 : value.toInt());
    else if (step == u"tick"_s)
        for (int i = value.toInt(); i > 0; --i)
            rig.G().Tick();
    else if (step == u"stop"_s) {  // Stop, then the tick that closes
        rig.G().Stop();
        rig.G().Tick();
    } else if (step == u"arrive"_s)
        return rig.Modem().addMessage(arg, InboxLine(arg + u' ' + value).mid(3)) > 0;
    else if (step == u"unlist"_s)  // deleted by someone else (a refused delete tried twice)
        return rig.DeleteFromPhone(value) || rig.DeleteFromPhone(value);
    else if (step == u"crashed"_s) {  // a run killed while sending row arg: "parts reference
        // accepted in-flight" as its journal holds them
        Journal journal(Journal::PathBeside(rig.Folder() + u"/x.ini"_s));
        const QStringList f = value.split(u' ');
        return journal.Load() && journal.SendBegun(arg, f[0].toInt(), f[1].toInt()) &&
               journal.PartAccepted(arg, f[2].toInt()) &&
               (f[3] == u"0"_s || journal.PartOffered(arg, f[3].toInt()));
    } else if (step == u"journal"_s && value == u"full"_s)
        return QFile::link(u"/dev/full"_s, rig.Folder() + u"/Pelorus.journal"_s);
    else if (step == u"journal"_s) {  // held by another gateway on the same folder
        otherGateway = std::make_unique<Journal>(Journal::PathBeside(rig.Folder() + u"/x.ini"_s));
        return otherGateway->Load();
    } else
        return false;
    return true;
}

struct Script {
    std::string name;
    QVector<testsupport::TsvRow> steps;
};

// The cases of a script file: a row whose "case" is empty goes on with the case above.
std::vector<Script> Cases(const QString& file) {
    static const QRegularExpression notName(u"[^A-Za-z0-9]+"_s);
    std::vector<Script> cases;
    for (const testsupport::TsvRow& r : testsupport::DataTsv(file)) {
        if (!r[u"case"_s].isEmpty())
            cases.push_back({QString(r[u"case"_s]).replace(notName, u"_"_s).toStdString(), {}});
        cases.back().steps << r;
    }
    return cases;
}

void PrintTo(const Script& script, std::ostream* os) {
    *os << script.name;
}

class GatewayScript : public testing::TestWithParam<Script> {};

TEST_P(GatewayScript, EndsAsExpected) {
    GatewayRig rig;
    std::unique_ptr<Journal> otherGateway;
    int shown = 0;  // statuses of the view's timeline checked so far
    for (const testsupport::TsvRow& s : GetParam().steps) {
        const QString step = s[u"step"_s], arg = s[u"arg"_s],
                      value = Expand(s[u"value"_s]).replace(u"{folder}"_s, rig.Folder());
        const std::string where = QString(step + u' ' + arg + u' ' + value).toStdString();
        if (step == u"expect"_s) {
            EXPECT_EQ(Observed(rig, arg).toStdString(), value.toStdString()) << where;
        } else if (step == u"at"_s) {  // the next status shown and the clock then
            const QStringList& timeline = rig.view.timeline;
            const QString got = shown < timeline.size()
                                    ? timeline[shown++]
                                    : QString::number(rig.pacer.elapsedMs()) + u" (end)"_s;
            EXPECT_EQ(got.toStdString(), QString(arg + u' ' + value).toStdString());
        } else {
            ASSERT_TRUE(Do(rig, s, otherGateway)) << "step failed: " << where;
        }
    }
}

const auto kCaseName = [](const testing::TestParamInfo<Script>& info) { return info.param.name; };

INSTANTIATE_TEST_SUITE_P(Scenarios, GatewayScript,
                         testing::ValuesIn(Cases(u"gateway_scenarios.tsv"_s)), kCaseName);
// The statuses of the start-up checks and of cycles in order, each with the virtual clock's
// milliseconds when it showed, and the clock at the end: every pause pinned.
INSTANTIATE_TEST_SUITE_P(Timeline, GatewayScript, testing::ValuesIn(Cases(u"cycle_timeline.tsv"_s)),
                         kCaseName);

}  // namespace
