// The statements the gateway runs: the logged form keeps the familiar shape, the driver's form
// binds every quoted value, and drivers that cannot bind get exact literals.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "db/ReportStatements.h"
#include "db/Statements.h"
#include "testsupport.h"

namespace {

// Up to the number, by kind (tests/data/received_inserts.tsv); an unknown kind has no time
// expression, and the statement fails at the database. The log shows the text between quotes
// unchanged (here a text holding two quotes).
TEST(StatementsTest, ReceivedInsertByKind) {
    const QDateTime now(QDate(2010, 11, 5), QTime(14, 3, 9));
    const QVector<testsupport::TsvRow> rows = testsupport::DataTsv("received_inserts.tsv");
    ASSERT_EQ(rows.size(), 8);
    for (const testsupport::TsvRow& r : rows) {
        const Statement s =
            InsertReceivedStatement(r["sbType"].toInt(), "Receive", now, "+7900", "it''s");
        const QString head = "INSERT INTO Receive " + r["head"];
        EXPECT_EQ(s.shown, head + "'+7900', 'it''s')");
        EXPECT_EQ(s.sql, head + "?, ?)");
        EXPECT_EQ(s.values, (QVariantList{"+7900", "it''s"}));
    }
}

// The update of the send table and the select of waiting rows show in the engine tests' log.
TEST(StatementsTest, SendInsertUnitUpdatesAndDelivery) {
    // SQL Server (kind 2) reads the moment with a "T" alike in every language.
    EXPECT_EQ(WriteDeliveryStatement(2, "Send", "17", 70, {{2026, 12, 5}, {14, 3, 7}}).shown,
              "UPDATE Send SET DeliveryStatus=70, DeliveredAt='2026-12-05T14:03:07' WHERE ID=17");
    EXPECT_EQ(InsertSendStatement(0, "Send", "1", "t").shown,
              "INSERT INTO Send ([Number], [SmsMessage]) VALUES ('1', 't')");
    const Statement send = InsertSendStatement(6, "Out", "1", "'); DROP TABLE Out; --");
    EXPECT_EQ(send.shown,
              "INSERT INTO Out (Number, SmsMessage) VALUES ('1', ''); DROP TABLE Out; --')");
    EXPECT_EQ(send.sql, "INSERT INTO Out (Number, SmsMessage) VALUES (?, ?)");
    const Statement battery = UpdateBatteryStatement("Units", "Now()", 85, "U1");
    EXPECT_EQ(battery.shown,
              "UPDATE  Units SET lstactv = Now() , BattCharge = 85 where unit = 'U1'");
    EXPECT_EQ(battery.sql, "UPDATE  Units SET lstactv = Now() , BattCharge = 85 where unit = ?");
    const Statement status = UpdateStatusStatement("Units", "Now()", "4", "50%", "U1");
    EXPECT_EQ(status.shown,
              "UPDATE  Units SET lstactv = Now() , statusid = 4, extinfo='50%' where unit = 'U1'");
    EXPECT_EQ(status.values, (QVariantList{"50%", "U1"}));
    // For drivers that cannot bind: every apostrophe doubled, backslashes left alone.
    const Statement s = InsertSendStatement(6, "Send", "+7'9", "O'Brien \\' ''");
    EXPECT_EQ(s.inlined(&StandardLiteral),
              "INSERT INTO Send (Number, SmsMessage) VALUES ('+7''9', 'O''Brien \\'' ''''')");
    EXPECT_EQ(s.inlined(&UnicodeLiteral),
              "INSERT INTO Send (Number, SmsMessage) VALUES (N'+7''9', N'O''Brien \\'' ''''')");
}

}  // namespace
