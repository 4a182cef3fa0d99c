// Delivery reports paired with the rows they report on, end to end: the virtual modem files a
// status report for every part that asks for one, the next cycle lists it.
#include <gtest/gtest.h>

#include "GatewayTestKit.h"
#include "files/Journal.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using gatewaytest::GatewayRig;

namespace {

const QString kLongText = QString(200, u'x') + QString(150, u'y');  // 3 parts

class PairedReports : public ::testing::Test {
protected:
    void SetUp() override {
        rig.SetSetting(u"SMS/Report"_s, u"1"_s);
        rig.SetSetting(u"Options/PairReports"_s, u"1"_s);
    }
    QStringList Column(const char* name) {
        return rig.ReceivedColumn(QString::fromLatin1(name), u"Send"_s);
    }
    QStringList Log() { return rig.view.logLines; }
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

// Older rows of the same subscriber and reference: one closed by its report, one whose report
// never came. The references wrap from 255 to 0 inside the long message. The phone refuses its
// second part: the rest goes in the next cycle, after the first part's report is listed.
TEST_F(PairedReports, RowsEndWithTheirOutcomeAcrossTheWrap) {
    ASSERT_TRUE(rig.StartModem({u"--status-reports"_s, u"--first-reference"_s, u"254"_s,
                                u"--report-status"_s, u"70:5550009"_s, u"--fail"_s, u"CMGS:3"_s}));
    ASSERT_TRUE(rig.Execute(
        u"INSERT INTO Send (Number, Status, Reference, DeliveryStatus, DeliveredAt) VALUES "
        "('79005550001', 2, '0', 0, '2020-01-01 00:00:00'), ('79005550001', 2, '255', NULL, NULL)"_s));
    rig.AddSendRow(u"79005550001"_s, u"Hello"_s);
    rig.AddSendRow(u"+7 900 555-00-01"_s, kLongText);
    rig.AddSendRow(u"89005550009"_s, u"Hi"_s);
    rig.Start();
    rig.RunCycles(2);
    EXPECT_EQ(Column("DeliveredAt").value(3), QString());  // two parts have no report yet
    rig.RunCycles(1);

    EXPECT_EQ(Column("Reference"), (QStringList{u"0"_s, u"255"_s, u"254"_s, u"255,1,2"_s, u"0"_s}));
    EXPECT_EQ(Column("DeliveryStatus"), (QStringList{u"0"_s, ""_L1, u"0"_s, u"0"_s, u"70"_s}));
    const QStringList at = Column("DeliveredAt");
    EXPECT_EQ(at.mid(0, 2), (QStringList{u"2020-01-01 00:00:00"_s, QString()}));
    for (const QString& moment : at.mid(2))
        EXPECT_TRUE(QDateTime::fromString(moment, u"yyyy-MM-dd HH:mm:ss"_s).isValid())
            << moment.toStdString();
    QStringList firstOctets;
    for (const QString& pdu : rig.Modem().sentPdus())
        firstOctets << pdu.mid(16, 2);
    EXPECT_EQ(firstOctets, (QStringList{u"31"_s, u"71"_s, u"31"_s, u"71"_s, u"71"_s}));
    EXPECT_EQ(rig.ReceivedTexts().filter(u"Отчет о доставке"_s).size(), 5);
    EXPECT_EQ(Log().size(), 1) << Log().join('\n').toStdString();  // the refused part
}

// The write-back fails after the phone took every part, and the gateway restarts: the journal
// gives the references, the table pairs the reports listed after the restart.
TEST_F(PairedReports, ARestartBeforeTheWriteBackStillPairs) {
    ASSERT_TRUE(rig.StartModem({u"--status-reports"_s}));
    rig.AddSendRow(u"79005550001"_s, u"Hello"_s);
    rig.AddSendRow(u"79005550002"_s, kLongText);
    ASSERT_TRUE(
        rig.Execute(u"CREATE TRIGGER hold BEFORE UPDATE OF Status ON Send "
                    "BEGIN SELECT RAISE(ABORT, 'held'); END"_s));
    rig.Start();
    rig.RunCycles(1);
    ASSERT_EQ(Column("Status"), (QStringList{u"1"_s, u"1"_s}));
    ASSERT_TRUE(rig.Execute(u"DROP TRIGGER hold"_s));
    rig.Start();
    rig.RunCycles(1);
    EXPECT_EQ(Column("Status"), (QStringList{u"2"_s, u"2"_s}));
    EXPECT_EQ(Column("Reference"), (QStringList{u"0"_s, u"1,2,3"_s}));
    EXPECT_EQ(Column("DeliveryStatus"), (QStringList{u"0"_s, u"0"_s}));
    EXPECT_EQ(rig.Modem().sentPdus().size(), 4);
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
    ASSERT_EQ(Column("DeliveryStatus"), QStringList{QString()});
    rig.Start();
    ASSERT_GT(rig.Modem().addMessage(u"ME"_s, lastReport), 0);
    rig.RunCycles(1);
    EXPECT_EQ(Column("DeliveryStatus"), QStringList{u"0"_s});
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
    ASSERT_EQ(Log().size(), 1);
    EXPECT_TRUE(Log()[0].contains(u"Code: 109;"_s) && Log()[0].contains(u"MsgID: 8;"_s))
        << Log()[0].toStdString();
}

TEST_F(PairedReports, ATableWithoutTheColumnsGivesOneLineACycle) {
    ASSERT_TRUE(rig.StartModem({u"--status-reports"_s}));
    ASSERT_TRUE(rig.Execute(u"ALTER TABLE Send DROP COLUMN Reference"_s));
    rig.AddSendRow();
    rig.Start();
    rig.RunCycles(2);
    EXPECT_EQ(Column("Status"), QStringList{u"2"_s});
    EXPECT_EQ(rig.ReceivedTexts().filter(u"Отчет о доставке"_s).size(), 1);
    ASSERT_EQ(Log().size(), 2) << Log().join('\n').toStdString();
    EXPECT_EQ(Log().filter(u"Code: 021;  Descr: Send table Send has no Reference"_s).size(), 2);
}

}  // namespace
