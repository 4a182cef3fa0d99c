// MobilePhone against pelorus-modemsim on a real pseudo-terminal: every command, every fault.
#include "phone/MobilePhone.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include "PhoneFixtures.h"
#include "modemsim_support.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

namespace {

// Received messages of real phones (replies.tsv lines 2 and 7).
const QString kDeliver1 =
    QStringLiteral("0791361907001003B17A0C913619397750320000AD11CD701E340FB3C3F23CC81D0689C3BF");
const QString kDeliver2 =
    QStringLiteral("0791534850020200040C9153486507895500006090608164138004D4F29C0E");
// An SMS-SUBMIT to +79001234567 asking for a status report ("Hi", 7-bit).
const QString kSubmitWithReport = QStringLiteral("0031000B919700214365F70000AA02C834");
const QString kSubmitLength = QStringLiteral("16");

class PhoneOnModem : public ::testing::Test {
protected:
    void SetUp() override {
        INIFileName = settingsDir.filePath(QStringLiteral("Pelorus.ini"));
        phone.onSetupFailure = [this](const QString& text) { setupFailures << text; };
    }
    // Starts the modem and opens the port on it.
    void Connect(const QStringList& options = {}, const QStringList& inbox = {}) {
        ASSERT_TRUE(modem.start(options, inbox));
        phone.setPortNumber(modem.link());
        phone.setPortSpeed(QStringLiteral("19200"));
        ASSERT_TRUE(phone.PortOpen());
    }
    qint64 Timed(const std::function<void()>& f) {
        QElapsedTimer t;
        t.start();
        f();
        return t.elapsed();
    }

    QTemporaryDir settingsDir;
    testsupport::ModemSim modem;
    MobilePhone phone;
    QStringList setupFailures;
};

TEST_F(PhoneOnModem, IdentifiesThePhone) {
    Connect({"--smsc", "+491711234567"});
    EXPECT_TRUE(phone.Init());
    EXPECT_EQ(phone.Model(), "Pelorus  ModemSim");
    EXPECT_EQ(phone.SMSCnumber(), "491711234567");
    const QStringList info = phone.PhoneInfo();
    ASSERT_EQ(info.size(), 5);
    EXPECT_TRUE(info[0].startsWith("AT+CGMI\r") && info[0].contains("Pelorus"));
    EXPECT_TRUE(info[1].contains("ModemSim"));
    EXPECT_TRUE(info[2].contains("1.0"));
    EXPECT_TRUE(info[3].contains("356938035643809"));
    EXPECT_TRUE(info[4].contains("+CSCA: \"+491711234567\",145"));
    EXPECT_EQ(phone.Error(), "OK");
}

TEST_F(PhoneOnModem, StateLevelsAndCalls) {
    Connect();
    EXPECT_EQ(phone.PhoneState(), 0);
    EXPECT_EQ(phone.AntennaLevel(), 18);
    EXPECT_EQ(phone.Answer(), "18");
    EXPECT_EQ(phone.BatteryLevel(), 85);
    EXPECT_EQ(phone.Answer(), "85");
    phone.Reset();
    EXPECT_EQ(phone.Error(), "OK");
    phone.MakeCall(QStringLiteral("+79001234567"));
    EXPECT_EQ(phone.Error(), "OK");
}

TEST_F(PhoneOnModem, ListsAndReadsBothStorages) {
    Connect({}, {"ME:" + kDeliver1, "SM:" + kDeliver2, "SM:" + kDeliver1});
    phone.ChoseStorage(1);
    EXPECT_EQ(phone.Error(), "OK");
    EXPECT_EQ(phone.Answer(), "");
    phone.ReadAllMsg(4);
    EXPECT_EQ(phone.Answer(), "AT+CMGL=4\r\r\n+CMGL: 1,0,,29\r\n" + kDeliver1 + "\r\n\r\nOK\r\n");
    phone.ChoseStorage(2);
    phone.ReadAllMsg(4);
    EXPECT_TRUE(phone.Answer().contains("+CMGL: 1,0,,23\r\n" + kDeliver2 + "\r\n"));
    EXPECT_TRUE(phone.Answer().contains("+CMGL: 2,0,,29\r\n" + kDeliver1 + "\r\n"));
    phone.ReadMessage(2);
    EXPECT_EQ(phone.Error(), "OK");
    EXPECT_TRUE(phone.Answer().contains("+CMGR: 1,,29\r\n" + kDeliver1));
    phone.ReadMessage(9);
    EXPECT_EQ(phone.Error(), "Error");
    EXPECT_TRUE(phone.Answer().contains("+CMS ERROR: 321"));
}

TEST_F(PhoneOnModem, MessagesAddedWhileRunningAreListed) {
    Connect();
    EXPECT_EQ(modem.addMessage("ME", kDeliver2), 1);
    EXPECT_EQ(modem.addMessage("ME", kDeliver1), 2);
    phone.ChoseStorage(1);
    phone.ReadAllMsg(4);
    EXPECT_TRUE(phone.Answer().contains("+CMGL: 2,0,,29\r\n" + kDeliver1));
}

TEST_F(PhoneOnModem, DeletesByIdentifier) {
    Connect({}, {"ME:" + kDeliver1, "ME:" + kDeliver2, "SM:" + kDeliver2});
    phone.setStepMs(20);
    EXPECT_TRUE(phone.DeleteMsg("11"));    // ME index 1
    EXPECT_TRUE(phone.DeleteMsg("21"));    // SM index 1
    EXPECT_FALSE(phone.DeleteMsg("112"));  // ME index 12 holds nothing
    EXPECT_FALSE(phone.DeleteMsg(""));
    phone.ChoseStorage(1);
    phone.ReadAllMsg(4);
    EXPECT_FALSE(phone.Answer().contains(kDeliver1));
    EXPECT_TRUE(phone.Answer().contains("+CMGL: 2,"));
    phone.ChoseStorage(2);
    phone.ReadAllMsg(4);
    EXPECT_FALSE(phone.Answer().contains("+CMGL:"));
}

TEST_F(PhoneOnModem, DeletionSwitchedOffSendsNothing) {
    Connect({}, {"ME:" + kDeliver1});
    ASSERT_TRUE(WriteSetting(Setting::SmsDelete, "0"));
    EXPECT_TRUE(phone.DeleteMsg("11"));
    phone.ChoseStorage(1);
    phone.ReadAllMsg(4);
    EXPECT_TRUE(phone.Answer().contains(kDeliver1));
}

TEST_F(PhoneOnModem, FailedDeletion) {
    Connect({"--fail", "CMGD"}, {"ME:" + kDeliver1});
    phone.setStepMs(20);
    EXPECT_FALSE(phone.DeleteMsg("11"));
    EXPECT_EQ(phone.Error(), "Error");
}

TEST_F(PhoneOnModem, UnknownStorageSendsTheBareCommand) {
    Connect();
    phone.ChoseStorage(7);
    EXPECT_EQ(phone.Error(), "Error");  // the modem refuses "AT+CPMS="
    EXPECT_EQ(phone.Answer(), "");
}

TEST_F(PhoneOnModem, SendsAndGetsAStatusReport) {
    Connect({"--status-reports"});
    phone.SendMsg(kSubmitWithReport, kSubmitLength);
    EXPECT_EQ(phone.Error(), "OK");
    EXPECT_EQ(phone.Answer(), "AT+CMGS=16\r\r\n> ");
    EXPECT_EQ(modem.sentPdus(), QStringList{kSubmitWithReport});
    phone.ChoseStorage(1);
    phone.ReadAllMsg(4);
    // SMSC field, SMS-STATUS-REPORT, reference 0, the recipient as sent, ..., status delivered.
    const QRegularExpression report(
        QStringLiteral("\\+CMGL: 1,0,,25\r\n07919700111111F10600"
                       "0B919700214365F7[0-9]{28}00\r\n"));
    EXPECT_TRUE(report.match(phone.Answer()).hasMatch()) << phone.Answer().toStdString();
}

TEST_F(PhoneOnModem, LongPduIsWrittenInPiecesAndArrivesWhole) {
    Connect();
    QString pdu = QStringLiteral("0011000B919700214365F70000AA8C");
    for (int i = 0; i < 140; ++i)
        pdu += QStringLiteral("41");
    ASSERT_GT(pdu.size(), 256);
    phone.SendMsg(pdu, QString::number(pdu.size() / 2 - 1));
    EXPECT_EQ(phone.Error(), "OK");
    EXPECT_EQ(modem.sentPdus(), QStringList{pdu});
}

TEST_F(PhoneOnModem, RefusedSubmissions) {
    Connect({"--fail", "CMGS:2"});
    phone.SendMsg(kSubmitWithReport, kSubmitLength);
    EXPECT_EQ(phone.Error(), "OK");
    phone.SendMsg(kSubmitWithReport, kSubmitLength);  // the network refuses the second
    EXPECT_EQ(phone.Error(), "Error");
    phone.SendMsg(kSubmitWithReport, "15");  // length does not match the PDU
    EXPECT_EQ(phone.Error(), "Error");
    phone.SendMsg(kSubmitWithReport, kSubmitLength);
    EXPECT_EQ(phone.Error(), "OK");
    EXPECT_EQ(modem.sentPdus().size(), 2);
}

TEST_F(PhoneOnModem, NoPromptNoPdu) {
    Connect({"--latency", "300"});
    phone.setStepMs(400);
    ASSERT_TRUE(phone.Init());
    phone.setStepMs(20);
    phone.SendMsg(kSubmitWithReport, kSubmitLength);
    EXPECT_EQ(phone.Error(), "No answer");
    EXPECT_EQ(phone.Answer(), "AT+CMGS=16\r");  // the echo came, the prompt did not
    QThread::msleep(400);
    EXPECT_TRUE(modem.sentPdus().isEmpty());
    // The late prompt was cancelled and drained: the next command gets its own answer.
    phone.setStepMs(400);
    EXPECT_EQ(phone.AntennaLevel(), 18);
}

TEST_F(PhoneOnModem, SlowAndTricklingAnswers) {
    Connect({"--latency", "40", "--chunk", "3:2"}, {"SM:" + kDeliver1});
    EXPECT_GE(Timed([&] { EXPECT_TRUE(phone.Init()); }), 40);
    phone.ChoseStorage(2);
    phone.ReadAllMsg(4);
    EXPECT_EQ(phone.Answer(), "AT+CMGL=4\r\r\n+CMGL: 1,0,,29\r\n" + kDeliver1 + "\r\n\r\nOK\r\n");
    EXPECT_EQ(phone.AntennaLevel(), 18);
}

TEST_F(PhoneOnModem, SilentPhone) {
    Connect({"--silent"});
    phone.setStepMs(25);
    int eventsRun = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++eventsRun; });
    ticker.start(5);
    // Two steps of 25 ms; the window's events keep running meanwhile.
    EXPECT_GE(Timed([&] { EXPECT_FALSE(phone.Init()); }), 50);
    EXPECT_EQ(phone.Error(), "No answer");
    EXPECT_GT(eventsRun, 0);
    EXPECT_EQ(phone.BatteryLevel(), 0);
    EXPECT_EQ(phone.Answer(), "0");
    EXPECT_EQ(phone.SMSCnumber(), "");
}

TEST_F(PhoneOnModem, ErrorAnswers) {
    Connect({"--fail", "Z:1", "--fail", "CSCA"});
    EXPECT_FALSE(phone.Init());
    EXPECT_EQ(phone.Error(), "Error");
    EXPECT_TRUE(phone.Init());
    EXPECT_EQ(phone.SMSCnumber(), "");
    EXPECT_EQ(phone.Error(), "Error");
}

TEST_F(PhoneOnModem, PulledOutModemEndsExchangesAtOnce) {
    Connect({"--drop-after", "4"});
    EXPECT_TRUE(phone.Init());
    EXPECT_TRUE(phone.Init());
    ASSERT_TRUE(modem.waitForOutput("dropped"));
    // The step stays one second: only the lost device can end the exchange early.
    EXPECT_LT(Timed([&] { EXPECT_FALSE(phone.Init()); }), 500);
    EXPECT_EQ(phone.Error(), "No answer");
    EXPECT_LT(Timed([&] { phone.ReadAllMsg(4); }), 500);
    EXPECT_EQ(phone.Error(), "No answer");
}

TEST_F(PhoneOnModem, FinishesOnTheFinalLineNotAfterTheStep) {
    Connect();
    // With one-second steps, ten exchanges that each waited for their step would take 10 s.
    EXPECT_LT(Timed([&] {
                  for (int i = 0; i < 5; ++i)
                      EXPECT_TRUE(phone.Init());
              }),
              2000);
}

TEST_F(PhoneOnModem, ReopenAndClose) {
    Connect();
    EXPECT_TRUE(phone.PortOpen());  // closes and opens again
    EXPECT_TRUE(phone.Init());
    EXPECT_EQ(phone.ClosePort(), 0);
    EXPECT_LT(Timed([&] { EXPECT_FALSE(phone.Init()); }), 100);  // closed: at once
    EXPECT_EQ(phone.Error(), "No answer");
    EXPECT_EQ(phone.ClosePort(), 0);
    EXPECT_TRUE(setupFailures.isEmpty());
}

TEST(PhonePort, OpenFailures) {
    MobilePhone phone;
    QStringList failures;
    phone.onSetupFailure = [&](const QString& text) { failures << text; };
    EXPECT_EQ(phone.ClosePort(), 0);  // never opened
    EXPECT_FALSE(phone.PortOpen());   // no number, no speed
    phone.setPortNumber(QStringLiteral("/nonexistent/modem"));
    EXPECT_FALSE(phone.PortOpen());  // speed still empty
    phone.setPortSpeed(QStringLiteral("19200"));
    EXPECT_FALSE(phone.PortOpen());  // no such device: silent
    EXPECT_TRUE(failures.isEmpty());

    QTemporaryDir dir;
    const QString plainFile = dir.filePath("not-a-terminal");
    ASSERT_TRUE(testsupport::WriteBytes(plainFile, "x"));
    phone.setPortNumber(plainFile);
    EXPECT_FALSE(phone.PortOpen());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0], "Unable to set timeouts for port " + plainFile + " Error: 25");
}

TEST_F(PhoneOnModem, UnusableSpeedIsReported) {
    ASSERT_TRUE(modem.start());
    phone.setPortNumber(modem.link());
    phone.setPortSpeed(QStringLiteral("12345"));
    EXPECT_FALSE(phone.PortOpen());
    EXPECT_EQ(setupFailures, QStringList{"Unable to build Comm DCB 12345,n,8,1 Error: 22"});
    EXPECT_FALSE(phone.Init());
}

// Faults of real modems and of a crashed gateway: the link recovers and sends nothing wrong.
TEST_F(PhoneOnModem, RecoversFromFaults) {
    const struct {
        const char* name;
        QStringList options;
        std::function<void()> check;
    } cases[] = {
        {"left at the prompt by a crash",
         {},
         [&] {
             phone.ClosePort();
             QFile crashed(modem.link());
             ASSERT_TRUE(crashed.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
             crashed.write("AT+CMGS=16\r");
             crashed.close();
             ASSERT_TRUE(phone.PortOpen());
             EXPECT_TRUE(phone.Init());
         }},
        {"refuses PDU mode: no PDU goes out as text",
         {"--fail", "CMGF"},
         [&] {
             EXPECT_FALSE(phone.Init());
             phone.SendMsg(kSubmitWithReport, kSubmitLength);
             EXPECT_EQ(phone.Error(), "Error");
             EXPECT_TRUE(modem.sentPdus().isEmpty());
         }},
        {"refused storage: nothing deleted",
         {"--fail", "CPMS:1"},
         [&] {
             EXPECT_FALSE(phone.DeleteMsg("21"));
             EXPECT_TRUE(phone.ChoseStorage(1));
             phone.ReadAllMsg(4);
             EXPECT_TRUE(phone.Answer().contains(kDeliver1));
         }},
        {"trickles a byte every 50 ms",
         {"--chunk", "1:50"},
         [&] {
             phone.ReadMessage(9);
             EXPECT_TRUE(phone.Answer().endsWith("\r\n+CMS ERROR: 321\r\n"));
             EXPECT_EQ(phone.Error(), "Error");
         }},
        {"pulled out during a listing",
         {"--drop-after", "1"},
         [&] {
             EXPECT_TRUE(phone.ChoseStorage(1));
             EXPECT_LT(Timed([&] { phone.ReadAllMsg(4); }), 1000);
             EXPECT_EQ(phone.Error(), "No answer");
             EXPECT_TRUE(phone.PortLost());
         }},
        {"held: no second opener",
         {},
         [&] {
             MobilePhone other;
             other.setPortNumber(modem.link());
             other.setPortSpeed(QStringLiteral("19200"));
             EXPECT_FALSE(other.PortOpen());
             EXPECT_EQ(other.PortOpenFailure(),
                       "Port " + modem.link() + " is held by another program");
             phone.ClosePort();
             EXPECT_TRUE(other.PortOpen());
         }},
        {"answers at 2.1 steps, within its listening time",
         {"--latency", "420"},
         [&] {
             phone.setStepMs(200);
             EXPECT_TRUE(phone.Init());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connect(c.options, {"ME:" + kDeliver1, "SM:" + kDeliver2});
        c.check();
    }
}

}  // namespace
