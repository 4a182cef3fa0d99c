// The gateway against each profile of the virtual modem (real modems' quirks): three cycles with
// a Latin, a Cyrillic and a two-part message in the phone and two rows to send.
#include <gtest/gtest.h>

#include <QHash>

#include "GatewayTestKit.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;

namespace {

const QString kLatin = u"Hello from the profile test"_s;
const QString kCyrillic = u"Привет из проверки профилей"_s;
const QString kLong = QString(150, u'a') + QString(50, u'b');  // two 7-bit parts: 153 + 47

struct ProfileCase {
    const char* name;
    QStringList options;
    // A modem that drops the line is back only after a while; the next cycle waits for it as
    // the gateway's period would.
    bool comesBack = false;
};

// The delays are scaled to the gateway's test step (100 ms for a second): a network that takes
// 3 s within the 10 s the send allows, and a prompt later than the 2 s allowed for it.
const ProfileCase kCases[] = {
    {"plain", {}},
    {"no_me", {u"--profile"_s, u"no-me"_s}},
    {"text_mode", {u"--profile"_s, u"text-mode"_s}},
    {"tight_header", {u"--profile"_s, u"tight-header"_s}},
    {"index_0", {u"--profile"_s, u"index-0"_s}},
    {"cr_cr_lf", {u"--profile"_s, u"cr-cr-lf"_s}},
    {"blank_lines", {u"--profile"_s, u"blank-lines"_s}},
    {"urcs", {u"--profile"_s, u"urcs"_s}},
    {"routed", {u"--profile"_s, u"routed"_s}},
    {"lower_hex", {u"--profile"_s, u"lower-hex"_s}},
    {"prompt_crlf", {u"--profile"_s, u"prompt-crlf"_s}},
    {"vendor_urcs", {u"--profile"_s, u"vendor-urcs"_s}},
    {"double_echo", {u"--profile"_s, u"double-echo"_s}},
    {"stored_submit", {u"--profile"_s, u"stored-submit"_s}},
    {"slow_network", {u"--profile"_s, u"slow-network"_s, u"--cmgs-delay"_s, u"300"_s}},
    {"late_prompt", {u"--profile"_s, u"late-prompt"_s, u"--prompt-delay"_s, u"250"_s}},
    {"drop_listing", {u"--profile"_s, u"drop-listing"_s}, true},
    {"combined", {u"--profile"_s, u"cr-cr-lf,blank-lines"_s, u"--profile"_s, u"double-echo"_s}},
};

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

// "number TAB text" of each SMS-SUBMIT the modem took in PDU mode, with how often.
QHash<QString, int> SubmittedMessages(const QStringList& pdus) {
    QHash<QString, int> seen;
    for (const QString& pdu : pdus) {
        const DecodedPdu d = DecodePdu(pdu);
        ++seen[d.number.right(10) + u'\t' + d.text];
    }
    return seen;
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

    QHash<QString, int> stored;
    for (const QString& text : rig.ReceivedTexts())
        ++stored[text];
    for (const QString& text : {kLatin, kCyrillic, kLong.left(153), kLong.mid(153)})
        EXPECT_EQ(stored.value(text), 1)
            << "stored " << stored.value(text) << " times: " << text.left(30).toStdString();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << "stored twice: " << it.key().left(30).toStdString();
    EXPECT_EQ(rig.Modem().storedMessages(), 0) << "messages left in the phone";
    EXPECT_EQ(rig.G().Received().count(), 0) << "messages still in the gateway's hands";

    const QHash<QString, int> submitted = SubmittedMessages(rig.Modem().sentPdus());
    for (const auto& row : rig.SendRows()) {
        const QString text = row.id == rig.SendRows().first().id ? u"Latin row"_s : u"Кириллица"_s;
        const int times = submitted.value(row.number.right(10) + u'\t' + text);
        if (row.status == 2) {
            EXPECT_GE(times, 1) << "row " << row.id.toStdString() << " is 2, no PDU reached it";
        }
        EXPECT_LE(times, 1) << "row " << row.id.toStdString() << " sent " << times << " times";
    }
    EXPECT_TRUE(rig.Modem().sentTexts().isEmpty())
        << "sent in text mode: " << rig.Modem().sentTexts().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Profiles, ModemProfiles, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ProfileCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
