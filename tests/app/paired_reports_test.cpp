// Delivery reports paired with the rows they report on: a row's outcome from its parts' reports,
// and, end to end, what only code can show (more in gateway_scenarios.tsv): the virtual modem
// files a status report for every part that asks for one, the next cycle lists it.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "files/Journal.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

const QString kLongText = QString(200, u'x') + QString(150, u'y');  // 3 parts

// A rig whose gateway asks for reports and pairs them.
struct PairedReports : public ::testing::Test {
    void SetUp() override {
        rig.SetSetting(u"SMS/Report"_s, u"1"_s);
        rig.SetSetting(u"Options/PairReports"_s, u"1"_s);
    }
    GatewayRig rig;
};

// A row's outcome from the TP-ST of each part (tests/data/row_outcomes.tsv; -1: no report yet).
TEST(RowOutcome, FromThePartsReports) {
    for (const auto& r : testsupport::DataTsv(u"row_outcomes.tsv"_s)) {
        QList<int> parts;
        for (const QString& part : r[u"parts"_s].split(u' '))
            parts << part.toInt(nullptr, 0);
        const ReportPairing::RowOutcome outcome = ReportPairing::Combined(parts);
        EXPECT_EQ(outcome.status.value_or(-1), r[u"status"_s].toInt(nullptr, 0))
            << r[u"parts"_s].toStdString();
        EXPECT_EQ(outcome.final, r[u"final"_s] == u"1"_s) << r[u"parts"_s].toStdString();
    }
}

// Two parts' reports come before a restart, the third after it.
TEST_F(PairedReports, ARestartBetweenThePartsReportsStillPairs) {
    ASSERT_TRUE(rig.StartModem({u"--status-reports"_s}));
    rig.AddSendRow(u"79005550002"_s, kLongText);
    rig.Start();
    rig.RunCycles(1);
    const QString lastReport = rig.PhoneListing().value(2);
    ASSERT_TRUE(rig.DeleteFromPhone(u"13"_s));
    rig.RunCycles(1);
    ASSERT_EQ(rig.ReceivedColumn(u"DeliveryStatus"_s, u"Send"_s), QStringList{QString()});
    rig.Start();
    ASSERT_GT(rig.Modem().addMessage(u"ME"_s, lastReport), 0);
    rig.RunCycles(1);
    EXPECT_EQ(rig.ReceivedColumn(u"DeliveryStatus"_s, u"Send"_s), QStringList{u"0"_s});
}

// Part reports are kept 5 days from the first (rows 8 and 9 on either side); a line of an older
// gateway, without its moment (row 10), counts from the start.
TEST_F(PairedReports, PartReportsExpireWithOneLineARow) {
    const qint64 bound = QDateTime::currentSecsSinceEpoch() - 5 * 24 * 3600;
    const QString lines = u"reported 8 5 0 %1\nreported 9 6 0 %2\nreported 10 7 32\n"_s;
    ASSERT_TRUE(testsupport::WriteBytes(rig.Folder() + u"/Pelorus.journal"_s,
                                        lines.arg(bound - 60).arg(bound + 60).toLatin1()));
    ASSERT_TRUE(rig.StartModem());
    rig.Start();
    EXPECT_EQ(rig.G().WorkJournal().Reports().size(), 2);
    const QStringList log = rig.view.logLines;
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(u"Code: 109;"_s) && log[0].contains(u"MsgID: 8;"_s))
        << log[0].toStdString();
}

}  // namespace
