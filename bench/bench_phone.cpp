// The cost of one AT exchange above the modem's own answer time: MobilePhone against
// pelorus-modemsim on a pseudo-terminal, answering at once and after a fixed latency; and the
// cost of reading a long reply, which must grow in step with its size.
#ifdef PELORUS_HAVE_MODEMSIM
#include <benchmark/benchmark.h>

#include "modemsim_support.h"
#include "phone/MobilePhone.h"

namespace {

void Exchange(benchmark::State& state, const QStringList& options) {
    testsupport::ModemSim modem;
    if (!modem.start(options)) {
        state.SkipWithError("pelorus-modemsim did not start");
        return;
    }
    MobilePhone phone;
    phone.setPortNumber(modem.link());
    phone.setPortSpeed(QStringLiteral("115200"));
    if (!phone.PortOpen()) {
        state.SkipWithError("cannot open the modem's terminal");
        return;
    }
    for (auto _ : state) {
        if (!phone.Init())
            state.SkipWithError("the modem did not answer OK");
    }
}

// ATZ against a modem that answers at once: the whole time is exchange overhead.
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
    testsupport::ScriptedModem modem({{"AT+CMGL", listing}});
    MobilePhone phone;
    phone.setPortNumber(modem.link());
    phone.setPortSpeed(QStringLiteral("115200"));
    if (!phone.PortOpen()) {
        state.SkipWithError("cannot open the modem's terminal");
        return;
    }
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
