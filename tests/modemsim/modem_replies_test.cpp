// The virtual modem's answers, byte for byte, as a terminal sees them on its pseudo-terminal:
// the commands clients send and the shapes of the profiles (rows of replies.tsv named).
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "modemsim_support.h"

using namespace Qt::StringLiterals;

namespace {

// gammu at-sms/07.dump, AT+CMGR=0: "Test" from +358456709855, 23 octets.
const char kPdu[] = "0791534850020200040C9153486507895500006090608164138004D4F29C0E";
const char kSubmit[] = "07919700111111F111000B919700550500F10000AA08C834888E2ECBCB";  // 21 octets
const char kReport[] = "07917248014000F506B70AA18092020000317071518590803170715185418000";

// A terminal on the modem's link: writes a line, reads until the line has been quiet a while.
class Line {
public:
    explicit Line(const QString& link) : fd_(::open(link.toLocal8Bit().constData(), O_RDWR)) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Line() { ::close(fd_); }
    std::string talk(const std::string& bytes) {
        if (!bytes.empty() && ::write(fd_, bytes.data(), bytes.size()) < 0)
            return "(write failed)";
        std::string got;
        char buffer[512];
        pollfd p{fd_, POLLIN, 0};
        for (int rounds = 0; rounds < 40 && poll(&p, 1, 100) > 0; ++rounds) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

private:
    int fd_;
};

struct Exchange {
    std::string sent;  // "+" alone: a message added through the control FIFO
    std::string answer;
};
struct Case {
    const char* name;
    QStringList options;
    std::vector<Exchange> exchanges;
    QStringList sent;  // what the modem sent: PDUs, then "address text" of text mode
};

const std::string kOk = "\r\nOK\r\n";
const Case kCases[] = {
    {"commands clients send",
     {},
     {{"ATE0V1 Q0\r", "ATE0V1 Q0\r" + kOk},
      {"AT+CFUN?;+CPIN?\r", "\r\n+CFUN: 1\r\n\r\n+CPIN: READY\r\n" + kOk},
      {"AT +CMEE=1;+CREG=2;+CREG?\r", "\r\n+CREG: 2,1,\"5E25\",\"605F\"\r\n" + kOk},
      {"AT+COPS=3,2;+COPS?\r", "\r\n+COPS: 0,2,\"25099\"\r\n" + kOk},
      {"AT+CSCS=?\r", "\r\n+CSCS: (\"IRA\",\"GSM\",\"UCS2\")\r\n" + kOk},
      {"AT+GMM;+CIMI\r", "\r\nModemSim\r\n\r\n250991234567890\r\n" + kOk},
      {"ATS7=60S7?\r", "\r\n060\r\n" + kOk},
      {"AT+CPMS=\"SM\",\"ME\";+CPMS?\r",
       "\r\n+CPMS: 1,30,0,50,0,50\r\n\r\n+CPMS: \"SM\",1,30,\"ME\",0,50,\"ME\",0,50\r\n" + kOk},
      {"AT+CMGD=?\r", "\r\n+CMGD: (1),(0-4)\r\n" + kOk},
      {"AT+CNMI=2,1,0,2,0\r", kOk},
      {"+", "\r\n+CMTI: \"SM\",2\r\n"},
      {"AT+CMGD=0,1\r", kOk},
      {"AT+CMGL=4\r", "\r\n+CMGL: 1,0,,23\r\n" + std::string(kPdu) + "\r\n+CMGL: 2,0,,23\r\n" +
                          kPdu + "\r\n" + kOk},
      {"AT+CMGD=0,1\r", kOk},
      {"AT+CMGR=1\r", "\r\n+CMS ERROR: 321\r\n"},
      {"AT+CMEE=2;+CMGR=1\r", "\r\n+CMS ERROR: invalid memory index\r\n"},
      {"AT+CMEE=0;+XYZ\r", "\r\nERROR\r\n"},
      {"AT+CMGW=21\r", "\r\n> "},
      {kSubmit + std::string("\x1a"), "\r\n+CMGW: 1\r\n" + kOk},
      {"AT+CMSS=1\r", "\r\n+CMSS: 0\r\n" + kOk}},
     {QLatin1String(kSubmit)}},
    {"SIM PIN",
     {u"--pin"_s, u"1234"_s},
     {{"ATE0\r", "ATE0\r" + kOk},
      {"AT+CPIN?\r", "\r\n+CPIN: SIM PIN\r\n" + kOk},
      {"AT+CMGL=4\r", "\r\n+CME ERROR: 11\r\n"},
      {"AT+CPIN=\"1234\";+CSQ\r", "\r\n+CSQ: 18,99\r\n" + kOk}},
     {}},
    {"text-mode",
     {u"--profile"_s, u"text-mode"_s},
     {{"ATE0\r", "ATE0\r" + kOk},
      {"AT+CMGL=4\r", "\r\nERROR\r\n"},
      {"AT+CPMS=\"SM\";+CMGR=1\r",
       "\r\n+CPMS: 1,30,0,50,0,50\r\n\r\n+CMGR: \"REC UNREAD\",\"+358456709855\",,"
       "\"06/09/06,18:46:31+08\"\r\nTest\r\n" +
           kOk},
      {"AT+CMGS=\"+79005550001\"\r", "\r\n> "},
      {"Hi\x1a", "\r\n+CMGS: 0\r\n" + kOk}},
     {u"+79005550001 Hi"_s}},
    {"tight-header, index-0, lower-hex, cr-cr-lf, blank-lines",
     {u"--profile"_s, u"tight-header,index-0,lower-hex"_s, u"--profile"_s,
      u"cr-cr-lf,blank-lines"_s},
     {{"AT+CPMS=\"SM\";+CMGL=4\r",
       "AT+CPMS=\"SM\";+CMGL=4\r\r\r\n\r\r\n+CPMS:1,30,0,50,0,50\r\r\n\r\r\n+CMGL:0,0,,23\r\r\n" +
           QString::fromLatin1(kPdu).toLower().toStdString() + "\r\r\n\r\r\nOK\r\r\n\r\r\n"}},
     {}},
    {"urcs, routed, double-echo",
     {u"--profile"_s, u"urcs,routed,double-echo"_s},
     {{"ATE1\r", "ATE1\rATE1\r" + kOk},
      {"AT+CPMS=\"SM\"\r",
       "\r\n^NWTIME: 18/03/09,12:36:21+4,00\r\nAT+CPMS=\"SM\"\rAT+CPMS=\"SM\"\r\r\n"
       "+CPMS: 1,30,0,50,0,50\r\n" +
           kOk},
      {"AT+CMGL=4\r", "AT+CMGL=4\rAT+CMGL=4\r\r\n+CMGL: 1,0,,23\r\n" + std::string(kPdu) +
                          "\r\n+CMTI: \"ME\",1\r\n+CDS: 24\r\n" + kReport +
                          "\r\n+CMT: ,35\r\n07917248014000F3240B917247587706F400003110824115248"
                          "012C8329BFD06C9C373B8B82C97E741F034\r\n" +
                          kOk},
      {"AT+CMGD=1\r", "AT+CMGD=1\rAT+CMGD=1\r" + kOk + "\r\n+CMTI: \"ME\",1\r\n"}},
     {}},
    {"prompt-crlf, vendor-urcs",
     {u"--profile"_s, u"prompt-crlf,vendor-urcs"_s},
     {{"ATE0\r", "ATE0\r" + kOk},
      {"AT+CMGS=9\r",
       "\r\n+ZDONR: \"METEOR\",272,3,\"CS_ONLY\",\"ROAM_OFF\"\r\n+ZPASR: \"UMTS\"\r\n\r\n> \r\n"},
      {"\x1b", kOk}},
     {}},
};

TEST(ModemReplies, AnswersAsRealModemsDo) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        testsupport::ModemSim modem;
        ASSERT_TRUE(modem.start(c.options, {u"SM:"_s + QLatin1String(kPdu)}));
        Line line(modem.link());
        for (const Exchange& e : c.exchanges) {
            if (e.sent == "+") {
                EXPECT_EQ(modem.addMessage(u"SM"_s, QLatin1String(kPdu)), 2);
            }
            EXPECT_EQ(line.talk(e.sent == "+" ? "" : e.sent), e.answer) << e.sent;
        }
        EXPECT_EQ(modem.sentPdus() + modem.sentTexts(), c.sent);
    }
}

}  // namespace
