// What the pipelines do when the codec refuses: a row that can never be sent, a PDU that cannot be
// read. A real SQLite file and the virtual modem.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "pdu/PduDecoder.h"

using namespace Qt::StringLiterals;
using gatewaytest::DeliverPdu;
using gatewaytest::GatewayRig;

namespace {

// Marked 3 in the first cycle with their own log texts; the phone sees none of them and its lamp
// stays as it was. "+84..." keeps its "+" on the way and is not taken for a national 8 number.
TEST(CodecRefusals, NeverSendableRowsAreMarkedThreeAtOnceWithoutThePhone) {
    GatewayRig rig;
    ASSERT_TRUE(rig.StartModem());
    for (const QString& number : {u""_s, QString(), u"abc"_s, u"+"_s, QString(21, u'7')})
        rig.AddSendRow(number, u"Hello"_s);
    rig.AddSendRow(u"79005550001"_s, QString(153 * 255 + 1, u'q'));
    rig.AddSendRow(u"+84901234567"_s, u"Hello"_s);
    rig.Start();
    rig.G().RunCycle();

    QList<int> statuses;
    for (const auto& row : rig.SendRows())
        statuses << row.status;
    EXPECT_EQ(statuses, (QList<int>{3, 3, 3, 3, 3, 3, 2}));
    EXPECT_EQ(rig.view.LogCount(u"Code: 201;  Descr: Destination is not a phone number"_s), 4);
    EXPECT_EQ(rig.view.LogCount(u"Code: 202;"_s), 1);
    EXPECT_EQ(rig.view.LogCount(u"Code: 203;"_s), 1);
    EXPECT_EQ(rig.view.LogCount(u"Code: 102;"_s), 0);
    ASSERT_EQ(rig.Modem().sentPdus().size(), 1);
    EXPECT_EQ(DecodePdu(rig.Modem().sentPdus()[0]).number, u"+84901234567"_s);
    EXPECT_NE(rig.G().Lamps().colour(3), AlarmLamps::kRed);
    EXPECT_EQ(rig.G().Sending().count(), 0);
}

// It stays in the phone (it must not be lost), is logged once with its key and hex, and the phone
// lamp shows it.
TEST(CodecRefusals, UndecodablePduIsLoggedOnceAndStaysInThePhone) {
    GatewayRig rig;
    const QString broken = DeliverPdu(u"+79001234567"_s, u"hello"_s).left(40);
    ASSERT_TRUE(rig.StartModem({}, {u"SM:"_s + broken}));
    rig.Start();
    rig.G().RunCycle();
    rig.G().RunCycle();
    ASSERT_EQ(rig.view.LogCount(u"Code: 104;"_s), 1) << rig.view.logLines.join('\n').toStdString();
    EXPECT_EQ(rig.view.LogCount(u"\t; MsgID: 2"_s + u"1; PDU: "_s + broken), 1)
        << rig.view.logLines.join('\n').toStdString();
    EXPECT_EQ(rig.G().Lamps().colour(3), AlarmLamps::kRed);
    EXPECT_EQ(rig.PhoneListing(), QStringList{broken});
}

}  // namespace
