// The statements the gateway runs: the logged form keeps the familiar shape, the driver's form
// binds every quoted value.
#include <gtest/gtest.h>

#include "db/Statements.h"

namespace {

const QDateTime kNow(QDate(2010, 11, 5), QTime(14, 3, 9));

TEST(StatementsTest, UpdateSendHasNoQuotes) {
    const Statement s = UpdateSendStatement(QStringLiteral("Send"), QStringLiteral("17"), 2);
    EXPECT_EQ(s.shown, QStringLiteral("UPDATE Send SET Status=2 WHERE ID=17"));
    EXPECT_EQ(s.sql, s.shown);
    EXPECT_TRUE(s.values.isEmpty());
}

TEST(StatementsTest, ReceivedInsertByKind) {
    struct Case {
        int sbType;
        const char* shown;
        const char* sql;
    } cases[] = {
        {0,
         "INSERT INTO Receive ([DateTime], [Number], [SmsMessage]) VALUES ('2010-11-05 14:03:09', "
         "'+7900', 'it''s')",
         "INSERT INTO Receive ([DateTime], [Number], [SmsMessage]) VALUES ('2010-11-05 14:03:09', "
         "?, ?)"},
        {1,
         "INSERT INTO Receive ([DateTime], [Number], [SmsMessage]) VALUES ('2010-11-05 14:03:09', "
         "'+7900', 'it''s')",
         "INSERT INTO Receive ([DateTime], [Number], [SmsMessage]) VALUES ('2010-11-05 14:03:09', "
         "?, ?)"},
        {2,
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (GetDate(), '+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (GetDate(), ?, ?)"},
        {3,
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (GetDate(), '+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (GetDate(), ?, ?)"},
        {4, "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (Now(), '+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (Now(), ?, ?)"},
        {5,
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES ('2010-11-05 14:03:09', "
         "'+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES ('2010-11-05 14:03:09', ?, ?)"},
        {6,
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES ('2010-11-05 14:03:09', "
         "'+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES ('2010-11-05 14:03:09', ?, ?)"},
        // No expression for an unknown kind: the statement fails at the database.
        {9, "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (, '+7900', 'it''s')",
         "INSERT INTO Receive (DateTime, Number, SmsMessage) VALUES (, ?, ?)"},
    };
    for (const Case& c : cases) {
        // The log shows the text between quotes unchanged (here a text holding two quotes).
        const Statement s =
            InsertReceivedStatement(c.sbType, QStringLiteral("Receive"), kNow,
                                    QStringLiteral("+7900"), QStringLiteral("it''s"));
        EXPECT_EQ(s.shown.toStdString(), c.shown);
        EXPECT_EQ(s.sql.toStdString(), c.sql);
        EXPECT_EQ(s.values, (QVariantList{QStringLiteral("+7900"), QStringLiteral("it''s")}));
    }
}

TEST(StatementsTest, SendInsertAndUnitUpdates) {
    EXPECT_EQ(
        InsertSendStatement(0, QStringLiteral("Send"), QStringLiteral("1"), QStringLiteral("t"))
            .shown,
        QStringLiteral("INSERT INTO Send ([Number], [SmsMessage]) VALUES ('1', 't')"));
    const Statement send = InsertSendStatement(6, QStringLiteral("Out"), QStringLiteral("1"),
                                               QStringLiteral("'); DROP TABLE Out; --"));
    EXPECT_EQ(send.shown,
              QStringLiteral("INSERT INTO Out (Number, SmsMessage) VALUES ('1', ''); DROP TABLE "
                             "Out; --')"));
    EXPECT_EQ(send.sql, QStringLiteral("INSERT INTO Out (Number, SmsMessage) VALUES (?, ?)"));

    const Statement battery = UpdateBatteryStatement(
        QStringLiteral("Units"), QStringLiteral("Now()"), 85, QStringLiteral("U1"));
    EXPECT_EQ(battery.shown, QStringLiteral("UPDATE  Units SET lstactv = Now() , BattCharge = 85 "
                                            "where unit = 'U1'"));
    EXPECT_EQ(battery.sql,
              QStringLiteral("UPDATE  Units SET lstactv = Now() , BattCharge = 85 where unit = ?"));
    const Statement status =
        UpdateStatusStatement(QStringLiteral("Units"), QStringLiteral("Now()"), QStringLiteral("4"),
                              QStringLiteral("50%"), QStringLiteral("U1"));
    EXPECT_EQ(status.shown, QStringLiteral("UPDATE  Units SET lstactv = Now() , statusid = 4, "
                                           "extinfo='50%' where unit = 'U1'"));
    EXPECT_EQ(status.values, (QVariantList{QStringLiteral("50%"), QStringLiteral("U1")}));
    EXPECT_EQ(CheckSendStatement(QStringLiteral("Send")).shown,
              QStringLiteral("Select * from Send where Status=1"));
}

}  // namespace
