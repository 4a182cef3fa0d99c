// What the pipelines do when the codec refuses: a row that can never be sent, a PDU that cannot be
// read. A real SQLite file and the virtual modem.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "pdu/PduDecoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

// Mend: such rows were sent to "" and marked 2, or blamed on the phone and retried. Now they are
// marked 3 in the first cycle with their own log texts, and the phone sees none of them. "+84..."
// keeps its "+" on the way and is not taken for a national 8 number.
TEST(CodecRefusals, NeverSendableRowsAreMarkedThreeAtOnceWithoutThePhone) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    for (const QString& number : {u""_s, QString(), u"abc"_s, u"+"_s, QString(21, u'7')})
        rig.AddSendRow(number);
    rig.AddSendRow(u"79005550001"_s, QString(153 * 255 + 1, u'q'));
    rig.AddSendRow(u"+84901234567"_s);
    rig.Start();
    rig.G().RunCycle();
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(rig.Status(row), row < 6 ? 3 : 2) << row;
    EXPECT_EQ(rig.view.LogCount(u"Code: 201;  Descr: Destination is not a phone number"_s), 4);
    EXPECT_EQ(rig.view.LogCount(u"Code: 202;"_s) + rig.view.LogCount(u"Code: 203;"_s), 2);
    ASSERT_EQ(rig.Modem().sentPdus().size(), 1);
    EXPECT_EQ(DecodePdu(rig.Modem().sentPdus()[0]).number, u"+84901234567"_s);
}

// Mend: an unreadable PDU left no trace. It stays in the phone, is logged once with its key and
// hex, and the phone lamp shows it.
TEST(CodecRefusals, UndecodablePduIsLoggedOnceAndStaysInThePhone) {
    GatewayRig rig;
    const QString broken = gatewaytest::DeliverPdu(u"+79001234567"_s, u"hello"_s).left(40);
    ASSERT_TRUE(rig.StartModem({}, {u"SM:"_s + broken}));
    rig.Start();
    rig.G().RunCycle();
    rig.G().RunCycle();
    EXPECT_EQ(rig.view.LogCount(u"Code: 104;"_s), 1);
    EXPECT_EQ(rig.view.LogCount(u"\t; MsgID: 21; PDU: "_s + broken), 1);
    EXPECT_EQ(rig.G().Lamps().colour(3), AlarmLamps::kRed);
    EXPECT_EQ(rig.PhoneListing(), QStringList{broken});
}

}  // namespace
