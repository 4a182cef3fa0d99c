// The gateway against each profile of the virtual modem (real modems' quirks): three cycles with
// a Latin, a Cyrillic and a two-part message in the phone and two rows to send.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;

namespace {

const QString kLatin = u"Hello from the profile test"_s;
const QString kCyrillic = u"Привет из проверки профилей"_s;
const QString kLong = QString(150, u'a') + QString(50, u'b');  // two 7-bit parts: 153 + 47

// tests/data/modem_profiles.tsv: each profile's modem options. The delays are scaled to the
// gateway's test step (100 ms for a second): a network that takes 3 s within the 10 s the send
// allows, and a prompt later than the 2 s allowed for it. A modem that drops the line is back
// only after a while ("comes_back"); the next cycle waits for it as the gateway's period would.
struct ProfileCase {
    std::string name;
    QStringList options;
    bool comesBack;
};

std::vector<ProfileCase> Profiles() {
    std::vector<ProfileCase> cases;
    for (const testsupport::TsvRow& r : testsupport::DataTsv(u"modem_profiles.tsv"_s))
        cases.push_back({r[u"name"_s].toStdString(),
                         r[u"options"_s].split(u' ', Qt::SkipEmptyParts),
                         r[u"comes_back"_s] == u"1"_s});
    return cases;
}

// The phone's messages: each part of the long text as its own SMS-DELIVER.
QStringList Inbox() {
    QStringList inbox{u"ME:"_s + DeliverPdu(u"+79001234567"_s, kLatin),
                      u"SM:"_s + DeliverPdu(u"+79007654321"_s, kCyrillic)};
    SMScoder coder;
    QString text = kLong;
    for (const QString& part : coder.PrepareSend(u"+79005554433"_s, text, u"79001111111"_s, 0))
        inbox << u"ME:"_s + gatewaytest::DeliverFromSubmit(part.section(u'-', 0, 0));
    return inbox;
}

void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.name;
}

class ModemProfiles : public testing::TestWithParam<ProfileCase> {};

TEST_P(ModemProfiles, EachMessageOnceStoragesEmptySentOnlyInPduMode) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem(GetParam().options, Inbox()));
    rig.AddSendRow(u"+79005550001"_s, u"Latin row"_s);
    rig.AddSendRow(u"79005550002"_s, u"Кириллица"_s);
    rig.Start();
    rig.RunCycles(1);
    if (GetParam().comesBack) {
        ASSERT_TRUE(rig.Modem().waitForOutput(u"back"_s));
    }
    rig.RunCycles(2);

    // Each message stored once, none left in the phone or in the gateway's hands.
    QStringList stored = rig.ReceivedTexts(),
                expected{kLatin, kCyrillic, kLong.left(153), kLong.mid(153)};
    stored.sort();
    expected.sort();
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(rig.Modem().storedMessages(), 0) << "messages left in the phone";
    EXPECT_EQ(rig.G().Received().count(), 0) << "messages still in the gateway's hands";

    // A row marked 2 reached the modem, none twice.
    QStringList submitted;
    for (const QString& pdu : rig.Modem().sentPdus())
        submitted << DecodePdu(pdu).number.right(10) + u' ' + DecodePdu(pdu).text;
    const QStringList rowTexts{u"Latin row"_s, u"Кириллица"_s};
    for (int i = 0; i < rig.SendRows().size(); ++i) {
        const auto row = rig.SendRows()[i];
        const qsizetype times = submitted.count(row.number.right(10) + u' ' + rowTexts[i]);
        EXPECT_TRUE(row.status == 2 ? times == 1 : times <= 1) << "row " << i << " sent " << times;
    }
    EXPECT_TRUE(rig.Modem().sentTexts().isEmpty())
        << "sent in text mode: " << rig.Modem().sentTexts().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Profiles, ModemProfiles, testing::ValuesIn(Profiles()),
                         [](const testing::TestParamInfo<ProfileCase>& info) {
                             return info.param.name;
                         });

}  // namespace
