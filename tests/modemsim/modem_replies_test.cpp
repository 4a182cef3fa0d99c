// The virtual modem's answers, byte for byte, as a terminal sees them on its pseudo-terminal:
// the commands clients send and the shapes of the profiles (rows of replies.tsv named).
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

#include "modemsim_support.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;

namespace {

// A message the modem holds: "Test" from +358456709855, 23 octets (replies.tsv line 5).
QString StoredPdu() {
    const auto rows = testsupport::ReadTsv(testsupport::SharedDir() + "/modem-replies/replies.tsv");
    return rows.value(3)["reply"].section("\\n", 2, 2);
}
const QString kSubmit =
    u"07919700111111F111000B919700550500F10000AA08C834888E2ECBCB"_s;  // 21 octets

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

// modem_answers.tsv: sessions of a terminal with the modem (its options on the first row), one
// row for each line sent ("+": a message added through the control FIFO; "=sent": what the modem
// sent, PDUs, then "address text" of text mode) and the bytes it answers. {P} is the stored
// message, {U} a submit.
TEST(ModemReplies, AnswersAsRealModemsDo) {
    const auto rows = testsupport::DataTsv(u"modem_answers.tsv"_s);
    ASSERT_EQ(rows.size(), 43);
    const auto fill = [](const QString& field) {
        return testsupport::Unescape(field)
            .replace(u"{P}"_s, StoredPdu())
            .replace(u"{U}"_s, kSubmit);
    };
    testsupport::ModemSim modem;
    std::unique_ptr<Line> line;
    for (const auto& row : rows) {
        const QString sent = fill(row["sent"]);
        if (!line) {
            ASSERT_TRUE(
                modem.start(row["options"].split(' ', Qt::SkipEmptyParts), {"SM:" + StoredPdu()}));
            line = std::make_unique<Line>(modem.link());
        }
        if (sent == "=sent") {
            EXPECT_EQ((modem.sentPdus() + modem.sentTexts()).join(' '), fill(row["answer"]))
                << row["case"].toStdString();
            line.reset();
            continue;
        }
        if (sent == "+") {
            EXPECT_EQ(modem.addMessage(u"SM"_s, StoredPdu()), 2);
        }
        EXPECT_EQ(line->talk(sent == "+" ? "" : sent.toLatin1().toStdString()),
                  fill(row["answer"]).toLatin1().toStdString())
            << row["case"].toStdString() << ": " << sent.toStdString();
    }
}

}  // namespace
