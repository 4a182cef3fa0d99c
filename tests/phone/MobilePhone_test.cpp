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

// An SMS-SUBMIT to +79001234567 asking for a status report ("Hi", 7-bit), 16 octets.
const QString kSubmitWithReport = QStringLiteral("0031000B919700214365F70000AA02C834");

// "~x" holds x, "!x" does not, "/re" matches re, "<n" and ">=n" compare numbers; else equal.
bool Matches(const QString& got, const QString& want) {
    if (want.startsWith('~') || want.startsWith('!'))
        return got.contains(want.mid(1)) == want.startsWith('~');
    if (want.startsWith('/'))
        return QRegularExpression(want.mid(1)).match(got).hasMatch();
    if (want.startsWith('<'))
        return got.toLongLong() < want.mid(1).toLongLong();
    if (want.startsWith(">="))
        return got.toLongLong() >= want.mid(2).toLongLong();
    return got == want;
}

class PhoneOnModem : public ::testing::Test {
protected:
    void SetUp() override {
        INIFileName = settingsDir.filePath(QStringLiteral("Pelorus.ini"));
        phone.onSetupFailure = [this](const QString& text) { setupFailures << text; };
        QObject::connect(&ticker, &QTimer::timeout, [this] { ++ticks; });
        ticker.start(5);
    }
    // Starts the modem and opens the port on it.
    void Connect(const QStringList& options = {}, const QStringList& inbox = {}) {
        ASSERT_TRUE(modem.start(options, inbox));
        phone.setPortNumber(modem.link());
        phone.setPortSpeed(QStringLiteral("19200"));
        ASSERT_TRUE(phone.PortOpen());
    }
    // One step of a session: a command of the phone or of the modem, and its result as text.
    QString Do(const QString& step) {
        const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
        const auto yes = [](bool b) { return QString::fromLatin1(b ? "true" : "false"); };
        using Result = std::function<QString()>;
        const auto n = [](qint64 v) { return QString::number(v); };
        const QMap<QString, Result> verbs{
            {"Init", [&] { return yes(phone.Init()); }},
            {"Model", [&] { return phone.Model(); }},
            {"SMSCnumber", [&] { return phone.SMSCnumber(); }},
            {"PhoneInfo", [&] { return phone.PhoneInfo().join('|'); }},
            {"PhoneState", [&] { return n(phone.PhoneState()); }},
            {"AntennaLevel", [&] { return n(phone.AntennaLevel()); }},
            {"BatteryLevel", [&] { return n(phone.BatteryLevel()); }},
            {"Answer", [&] { return phone.Answer(); }},
            {"Error", [&] { return phone.Error(); }},
            {"Reset", [&] { return phone.Reset(), QString(); }},
            {"MakeCall", [&] { return phone.MakeCall(arg), QString(); }},
            {"ChoseStorage", [&] { return yes(phone.ChoseStorage(arg.toInt())); }},
            {"ReadAllMsg", [&] { return phone.ReadAllMsg(arg.toInt()), QString(); }},
            {"ReadMessage", [&] { return phone.ReadMessage(arg.toShort()), QString(); }},
            {"DeleteMsg", [&] { return yes(phone.DeleteMsg(arg)); }},
            {"SendMsg",
             [&] { return phone.SendMsg(arg.section(' ', 0, 0), arg.section(' ', 1)), QString(); }},
            {"PortOpen", [&] { return yes(phone.PortOpen()); }},
            {"ClosePort", [&] { return n(phone.ClosePort()); }},
            {"PortLost", [&] { return yes(phone.PortLost()); }},
            {"step", [&] { return phone.setStepMs(arg.toInt()), QString(); }},
            {"speed", [&] { return phone.setPortSpeed(arg), QString(); }},
            {"sleep", [&] { return QThread::msleep(arg.toInt()), QString(); }},
            {"no-delete",
             [&] { return WriteSetting(Setting::SmsDelete, "0") ? "" : "not written"; }},
            {"add",
             [&] { return n(modem.addMessage(arg.section(' ', 0, 0), arg.section(' ', 1))); }},
            {"sent", [&] { return modem.sentPdus().join(' '); }},
            {"wait", [&] { return yes(modem.waitForOutput(arg)); }},
            {"failures", [&] { return setupFailures.join('|'); }},
            {"crash-write",
             [&] {
                 QFile crashed(modem.link());
                 const bool ok = crashed.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
                 return ok && crashed.write(arg.toLatin1()) == arg.size() ? "" : "not written";
             }},
            {"second-opener",
             [&] {
                 MobilePhone other;
                 other.setPortNumber(modem.link());
                 other.setPortSpeed(QStringLiteral("19200"));
                 return other.PortOpen() ? "opened" : other.PortOpenFailure();
             }},
        };
        if (verb == "elapsed" || verb == "events")
            return n(verb == "elapsed" ? lastMs : lastTicks);
        QElapsedTimer timer;
        timer.start();
        const int ticksBefore = ticks;
        const QString result = verbs.contains(verb) ? verbs[verb]() : "(no step " + verb + ")";
        lastMs = timer.elapsed();
        lastTicks = ticks - ticksBefore;
        return result;
    }

    QTemporaryDir settingsDir;
    testsupport::ModemSim modem;
    MobilePhone phone;
    QStringList setupFailures;
    QTimer ticker;
    int ticks = 0, lastTicks = 0;
    qint64 lastMs = 0;
};

// phone_sessions.tsv: sessions with the modem (its options and stored messages on the first row),
// one step a row and what it gives. "{N}" is the PDU the phone read on line N of replies.tsv,
// "{S}" a submit asking for a report, "{link}" the modem's port.
TEST_F(PhoneOnModem, Sessions) {
    const auto rows = testsupport::DataTsv("phone_sessions.tsv");
    ASSERT_EQ(rows.size(), 155);
    const auto fill = [&](QString text) {
        static const QRegularExpression line(QStringLiteral("\\{(\\d+)\\}"));
        for (auto m = line.match(text); m.hasMatch(); m = line.match(text))
            text.replace(m.captured(0),
                         phonetest::Reply(m.captured(1).toInt()).section("\r\n", 2, 2));
        return text.replace("{S}", kSubmitWithReport).replace("{link}", modem.link());
    };
    QString session;
    for (const auto& row : rows) {
        if (row["case"] != session) {
            session = row["case"];
            phone.ClosePort();
            QFile::remove(INIFileName);
            ForgetIniCache();
            setupFailures.clear();
            phone.setStepMs(1000);
            Connect(row["options"].split(' ', Qt::SkipEmptyParts),
                    fill(row["inbox"]).split(' ', Qt::SkipEmptyParts));
        }
        const QString step = fill(testsupport::Unescape(row["step"]));
        const QString got = Do(step);
        EXPECT_TRUE(Matches(got, fill(testsupport::Unescape(row["expected"]))))
            << session.toStdString() << ": " << step.left(60).toStdString() << " gave "
            << got.toStdString();
    }
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
    EXPECT_EQ(failures, QStringList{"Unable to set timeouts for port " + plainFile + " Error: 25"});
}

}  // namespace
