// Reconciliation: a thousand messages each way through many cycles, with faults injected at
// random from a fixed seed (refused sends, refused deletes, failed listings, a phone that does
// not answer, a database that is down). Afterwards every message is accounted for exactly once.
#include <gtest/gtest.h>

#include <QHash>
#include <QSet>
#include <iostream>
#include <random>

#include "GatewayTestKit.h"
#include "pdu/SMScoder.h"

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

QString ReceivedText(int n, std::mt19937& rng) {
    static const QStringList tails = {u"plain text"_s, u"Привет из сети"_s,
                                      u"It's a \"quoted\" one"_s, u"ёлки-палки, 100%"_s};
    return u"R%1 "_s.arg(n) + tails[static_cast<int>(rng() % tails.size())];
}

QString SendText(int n, std::mt19937& rng) {
    const int kind = static_cast<int>(rng() % 10);
    if (kind == 0)  // three 7-bit parts
        return u"S%1 "_s.arg(n) + QString(400, QLatin1Char('a' + n % 26));
    if (kind == 1)  // two UCS2 parts
        return u"S%1 "_s.arg(n) + QString(100, QChar(0x0430 + n % 32));
    if (kind < 4)
        return u"S%1 Здравствуйте"_s.arg(n);
    return u"S%1 hello"_s.arg(n);
}

// The parts the encoder cuts a text into: 7-bit 153 (single up to 160), UCS2 67 (up to 70).
QStringList PartTexts(const QString& text) {
    bool ucs2 = false;
    for (const QChar c : text)
        ucs2 = ucs2 || c.unicode() > 0x7F;
    const int single = ucs2 ? 70 : 160;
    const int part = ucs2 ? 67 : 153;
    if (text.size() <= single)
        return {text};
    QStringList parts;
    for (int i = 0; i < text.size(); i += part)
        parts << text.mid(i, part);
    return parts;
}

TEST(GatewayReconciliation, ThousandEachWayWithRandomFaults) {
    std::mt19937 rng(kSeed);
    QStringList faults;
    faults << RandomFailures(rng, u"CMGS"_s, 1600, 0.08)
           << RandomFailures(rng, u"CMGD"_s, 1200, 0.05)
           << RandomFailures(rng, u"CMGL"_s, 120, 0.08) << RandomFailures(rng, u"Z"_s, 100, 0.05);

    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(faults));
    QHash<QString, int> expectedReceived;
    QHash<QString, QString> sentText;  // number -> text of the send row
    for (int n = 1; n <= kMessages; ++n) {
        const QString number = u"7901%1"_s.arg(n, 7, 10, QChar(u'0'));
        const QString text = SendText(n, rng);
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
            const QString text = ReceivedText(nextReceived, rng);
            const QString pdu =
                gatewaytest::DeliverPdu(u"+7902%1"_s.arg(nextReceived, 7, 10, QChar(u'0')), text);
            if (rig.Modem().addMessage(storage, pdu) == 0)
                break;  // full: later
            expectedReceived[text] = 1;
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
    QHash<QString, int> stored;
    for (const QString& text : rig.ReceivedTexts())
        ++stored[text];
    EXPECT_EQ(stored.size(), kMessages);
    for (auto it = expectedReceived.cbegin(); it != expectedReceived.cend(); ++it)
        EXPECT_EQ(stored.value(it.key()), 1) << it.key().toStdString();
    EXPECT_TRUE(rig.PhoneListing().isEmpty());

    // What reached the modem, decoded as the recipient would see it.
    QSet<QString> delivered;  // number TAB part text
    SMScoder decoder;
    for (const QString& submit : rig.Modem().sentPdus()) {
        decoder.setRowSMS(gatewaytest::DeliverFromSubmit(submit));
        const QStringList f = decoder.PlainSMS().split(u'\t');
        delivered.insert(f.value(1).mid(1) + u'\t' + f.value(2));
    }

    const QStringList refusalLines = rig.view.logLines.filter(u"Code: 102"_s);
    int sent = 0, notSent = 0;
    for (const auto& row : rig.SendRows()) {
        int refusals = 0;
        for (const QString& line : refusalLines)
            refusals += line.endsWith(u"; MsgID: "_s + row.id) ? 1 : 0;
        ASSERT_TRUE(row.status == 2 || row.status == 3) << row.id.toStdString();
        if (row.status == 2) {
            ++sent;
            for (const QString& part : PartTexts(sentText[row.number]))
                EXPECT_TRUE(delivered.contains(row.number + u'\t' + part))
                    << "row " << row.id.toStdString() << " part missing";
            EXPECT_LT(refusals, 2) << row.id.toStdString();
        } else {
            ++notSent;
            EXPECT_EQ(refusals, 2) << row.id.toStdString();
        }
    }
    EXPECT_EQ(rig.G().Sending().count(), 0);
    EXPECT_GT(notSent, 0);  // the seed does make some messages run out of attempts

    std::cout << "[ figures  ] cycles " << cycles << ", database down in " << downCycles
              << ", received " << stored.size() << " (103 refusals "
              << rig.view.LogCount(u"Code: 103"_s) << "), send rows 2: " << sent
              << ", 3: " << notSent << " (102 refusals " << rig.view.LogCount(u"Code: 102"_s)
              << "), PDUs accepted " << rig.Modem().sentPdus().size() << ", phone silent "
              << rig.view.LogCount(u"Code: 101"_s) << ", listings failed "
              << faults.filter(u"CMGL:"_s).size() << " planned\n";
}

}  // namespace
