// The cost of one AT exchange above the modem's own answer time: MobilePhone against
// pelorus-modemsim on a pseudo-terminal, answering at once and after a fixed latency; and the
// cost of reading a long reply, which must grow in step with its size.
#ifdef PELORUS_HAVE_MODEMSIM
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "modemsim_support.h"
#include "phone/MobilePhone.h"

namespace {

// Opens the phone on the modem's terminal; a failure ends the benchmark with an error.
bool OpenPhone(MobilePhone& phone, const QString& link, benchmark::State& state) {
    phone.setPortNumber(link);
    phone.setPortSpeed(QStringLiteral("115200"));
    if (phone.PortOpen())
        return true;
    state.SkipWithError("cannot open the modem's terminal");
    return false;
}

void Exchange(benchmark::State& state, const QStringList& options) {
    testsupport::ModemSim modem;
    if (!modem.start(options)) {
        state.SkipWithError("pelorus-modemsim did not start");
        return;
    }
    MobilePhone phone;
    if (!OpenPhone(phone, modem.link(), state))
        return;
    for (auto _ : state) {
        // One exchange; Init would add its ESC and the wait for the line to stay quiet.
        phone.PhoneState();
        if (phone.Error() != QLatin1String("OK"))
            state.SkipWithError("the modem did not answer OK");
    }
}

// AT+CPAS against a modem that answers at once: the whole time is exchange overhead.
void BM_PhoneExchange_ImmediateModem(benchmark::State& state) {
    Exchange(state, {});
}
BENCHMARK(BM_PhoneExchange_ImmediateModem)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The same with a modem that takes 20 ms to answer: the time above 20 ms is the overhead.
void BM_PhoneExchange_Modem20ms(benchmark::State& state) {
    Exchange(state, {QStringLiteral("--latency"), QStringLiteral("20")});
}
BENCHMARK(BM_PhoneExchange_Modem20ms)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A listing of two messages trickling in 16-byte pieces 1 ms apart.
void BM_PhoneExchange_TricklingListing(benchmark::State& state) {
    testsupport::ModemSim modem;
    const QString pdu = QStringLiteral(
        "0791361907001003B17A0C913619397750320000AD11CD701E340FB3C3F23CC81D0689C3BF");
    if (!modem.start({QStringLiteral("--chunk"), QStringLiteral("16:1")},
                     {QStringLiteral("SM:") + pdu, QStringLiteral("SM:") + pdu})) {
        state.SkipWithError("pelorus-modemsim did not start");
        return;
    }
    MobilePhone phone;
    phone.setPortNumber(modem.link());
    phone.setPortSpeed(QStringLiteral("115200"));
    phone.PortOpen();
    phone.ChoseStorage(2);
    for (auto _ : state)
        phone.ReadAllMsg(4);
}
BENCHMARK(BM_PhoneExchange_TricklingListing)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A terminal whose far side answers every command (a line up to CR) with one long reply, written
// as fast as the reader takes it.
class LongReplyModem {
public:
    explicit LongReplyModem(QByteArray reply)
        : reply_(std::move(reply)), master_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            link_ = QString::fromLatin1(ptsname(master_));
        thread_ = std::thread([this] { Serve(); });
    }
    ~LongReplyModem() {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }
    QString link() const { return link_; }

private:
    // Waits for the terminal, without spinning while its far side is still closed.
    bool Wait(short events) {
        pollfd p{master_, events, 0};
        const bool ready = poll(&p, 1, 10) > 0 && (p.revents & events) != 0;
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return ready;
    }
    void Serve() {
        char c = 0;
        while (!stop_) {
            if (!Wait(POLLIN) || ::read(master_, &c, 1) != 1 || c != '\r')
                continue;
            for (qsizetype done = 0; done < reply_.size() && !stop_;) {
                const ssize_t n = ::write(master_, reply_.constData() + done,
                                          static_cast<size_t>(reply_.size() - done));
                if (n > 0)
                    done += n;
                else
                    Wait(POLLOUT);
            }
        }
    }

    QByteArray reply_;
    int master_;
    QString link_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A listing of about range(0) bytes (a full storage of long messages), sent at full speed by a
// scripted modem: the time per byte stays flat as the listing grows.
void BM_PhoneReadsLongListing(benchmark::State& state) {
    const QByteArray entry =
        "+CMGL: 1,0,,29\r\n"
        "0791361907001003B17A0C913619397750320000AD11CD701E340FB3C3F23CC81D0689C3BF\r\n";
    QByteArray listing = "\r\n";
    while (listing.size() < state.range(0))
        listing += entry;
    listing += "\r\nOK\r\n";
    LongReplyModem modem(listing);
    MobilePhone phone;
    if (!OpenPhone(phone, modem.link(), state))
        return;
    for (auto _ : state) {
        phone.ReadAllMsg(4);
        if (phone.Answer().size() != listing.size())
            state.SkipWithError("the listing did not arrive whole");
    }
    state.SetBytesProcessed(state.iterations() * listing.size());
}
BENCHMARK(BM_PhoneReadsLongListing)
    ->Arg(64 << 10)
    ->Arg(474 << 10)
    ->Arg(1200 << 10)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace
#endif
