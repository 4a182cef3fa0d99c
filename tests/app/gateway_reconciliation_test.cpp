// Reconciliation: a thousand messages each way through many cycles, with faults injected at
// random from a fixed seed (refused sends, refused deletes, failed listings, a phone that does
// not answer, a database that is down). Afterwards every message is accounted for exactly once.
#include <gtest/gtest.h>

#include <QHash>
#include <random>

#include "GatewayTestKit.h"
#include "pdu/PduDecoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

constexpr int kMessages = 1000;
constexpr int kMaxCycles = 400;
constexpr unsigned kSeed = 20261206;

// "--fail CMD:K" for every K in 1..range picked with probability p.
QStringList RandomFailures(std::mt19937& rng, const QString& command, int range, double p) {
    std::bernoulli_distribution pick(p);
    QStringList options;
    for (int k = 1; k <= range; ++k)
        if (pick(rng))
            options << u"--fail"_s << command + u':' + QString::number(k);
    return options;
}

// The text of message n: for a send row, a tenth three 7-bit parts, a tenth two UCS2 parts.
QString Text(const char* prefix, int n, std::mt19937& rng) {
    static const QStringList tails = {u"plain text"_s, u"Привет из сети"_s,
                                      u"It's a \"quoted\" one"_s, u"ёлки-палки, 100%"_s};
    const int kind = static_cast<int>(rng() % 10);
    const QString tail = prefix[0] == 'R' || kind > 1
                             ? tails[kind % 4]
                             : QString(kind == 0 ? 400 : 100, kind == 0 ? u'a' : u'ж');
    return QString::fromLatin1(prefix) + QString::number(n) + u' ' + tail;
}

TEST(GatewayReconciliation, ThousandEachWayWithRandomFaults) {
    std::mt19937 rng(kSeed);
    QStringList faults;
    faults << RandomFailures(rng, u"CMGS"_s, 1600, 0.08)
           << RandomFailures(rng, u"CMGD"_s, 1200, 0.05)
           << RandomFailures(rng, u"CMGL"_s, 120, 0.08) << RandomFailures(rng, u"Z"_s, 100, 0.05);

    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(faults));
    QStringList expectedReceived;
    QHash<QString, QString> sentText;  // number -> text of the send row
    for (int n = 1; n <= kMessages; ++n) {
        const QString number = u"7901%1"_s.arg(n, 7, 10, QChar(u'0'));
        const QString text = Text("S", n, rng);
        rig.AddSendRow(number, text);
        sentText[number] = text;
    }
    rig.Start();

    std::bernoulli_distribution databaseDown(0.2);
    int nextReceived = 1;
    int cycles = 0;
    int downCycles = 0;
    auto settled = [&] {
        if (nextReceived <= kMessages || rig.G().Received().count() != 0)
            return false;
        for (const auto& row : rig.SendRows())
            if (row.status == 1)
                return false;
        return true;
    };
    while (cycles < kMaxCycles && !settled()) {
        // New messages arrive while the phone has room (50 in memory, 30 on the SIM).
        for (int arrivals = 0; arrivals < 40 && nextReceived <= kMessages; ++arrivals) {
            const QString storage = rng() % 3 == 0 ? u"SM"_s : u"ME"_s;
            const QString text = Text("R", nextReceived, rng);
            const QString pdu =
                gatewaytest::DeliverPdu(u"+7902%1"_s.arg(nextReceived, 7, 10, QChar(u'0')), text);
            if (rig.Modem().addMessage(storage, pdu) == 0)
                break;  // full: later
            expectedReceived << text;
            ++nextReceived;
        }
        const bool down = cycles < 60 && databaseDown(rng);
        downCycles += down ? 1 : 0;
        rig.SetDatabaseDown(down);
        rig.G().RunCycle();
        ++cycles;
    }
    rig.SetDatabaseDown(false);
    ASSERT_TRUE(settled()) << "not settled after " << cycles << " cycles";

    // Every received message is in the table exactly once, and gone from the phone.
    QStringList stored = rig.ReceivedTexts();
    stored.sort();
    expectedReceived.sort();
    EXPECT_TRUE(stored == expectedReceived) << stored.size() << " rows for " << kMessages;
    EXPECT_TRUE(rig.PhoneListing().isEmpty());

    // What reached the modem, each number's parts joined in the order the modem took them: a
    // row marked 2 got its whole text, no part twice.
    QHash<QString, QString> delivered;
    for (const QString& submit : rig.Modem().sentPdus()) {
        const DecodedPdu d = DecodePdu(submit);
        delivered[d.number.right(10)] += d.text;
    }
    const QStringList refusalLines = rig.view.logLines.filter(u"Code: 102"_s);
    int notSent = 0;
    for (const auto& row : rig.SendRows()) {
        int refusals = 0;
        for (const QString& line : refusalLines)
            refusals += line.endsWith(u"; MsgID: "_s + row.id) ? 1 : 0;
        ASSERT_TRUE(row.status == 2 || row.status == 3) << row.id.toStdString();
        notSent += row.status == 3 ? 1 : 0;
        if (row.status == 2) {
            EXPECT_EQ(delivered.value(row.number.right(10)), sentText[row.number])
                << row.id.toStdString();
        }
        EXPECT_TRUE(row.status == 3 ? refusals == 2 : refusals < 2) << row.id.toStdString();
    }
    EXPECT_EQ(rig.G().Sending().count(), 0);
    EXPECT_GT(notSent, 0);  // the seed does make some messages run out of attempts
    EXPECT_GT(downCycles, 0);
}

}  // namespace
