// pelorus-modemsim: a GSM modem on a pseudo-terminal, for trying and testing the gateway and
// third-party SMS clients without hardware. See Options.cpp for the options.
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <fstream>
#include <iostream>
#include <string>

#include "Io.h"
#include "ModemEngine.h"
#include "Options.h"

using namespace modemsim;

namespace {

constexpr int kDropGraceMs = 50;
constexpr int kBackAfterMs = 300;  // drop-listing: the modem is plugged in again

volatile sig_atomic_t stopRequested = 0;
void OnStopSignal(int) {
    stopRequested = 1;
}

// "ME:hex", "SM:hex" or "hex" into the engine; prints where it went. "count" prints the
// storages' sizes.
void ControlLine(ModemEngine& engine, std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    if (line.empty())
        return;
    if (line == "count") {
        std::cout << "stored " << engine.storedCounts() << std::endl;
        return;
    }
    std::string storage = "SM";
    if (line.size() > 3 && line[2] == ':') {
        storage = line.substr(0, 2);
        line = line.substr(3);
    }
    const int index = engine.addMessage(storage, line);
    if (index >= 0)
        std::cout << "added " << storage << " " << index << std::endl;
    else
        std::cout << "refused " << line << std::endl;
}

// The stop signals are held back except while waiting, so none is lost between checks; the
// mask to wait with is returned.
sigset_t HoldStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t blocked, waiting;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &waiting);
    sigdelset(&waiting, SIGTERM);
    sigdelset(&waiting, SIGINT);
    return waiting;
}

// The line drops (for good with --drop-after, for a while with drop-listing).
struct Drop {
    bool pending = false;
    bool comesBack = false;
    Clock::time_point closeAt;
    Clock::time_point backAt;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int code = ParseOptions(argc, argv, options); code >= 0)
        return code;

    ModemEngine engine(options.engine);
    std::ofstream sent;
    if (!options.sent.empty()) {
        sent.open(options.sent, std::ios::app);
        if (!sent) {
            std::cerr << "pelorus-modemsim: cannot write " << options.sent << "\n";
            return 1;
        }
    }
    Outbox outbox(options.chunk, options.chunkGapMs);
    engine.sinks().submitAccepted = [&sent](const std::string& pdu) {
        if (sent.is_open())
            sent << pdu << std::endl;
    };
    engine.sinks().textSent = engine.sinks().submitAccepted;
    engine.sinks().notice = [](const std::string& line) { std::cout << line << std::endl; };
    engine.sinks().unsolicited = [&outbox](const std::string& bytes) {
        outbox.add(bytes, Clock::now());
    };
    std::cout << ProfileNotices(options.engine.quirks) << std::flush;
    if (!options.inbox.empty()) {
        std::ifstream in(options.inbox);
        if (!in) {
            std::cerr << "pelorus-modemsim: cannot read " << options.inbox << "\n";
            return 1;
        }
        for (std::string line; std::getline(in, line);)
            ControlLine(engine, line);
    }

    sigset_t waiting = HoldStopSignals();
    Terminal terminal;
    ControlFifo control;
    if (!terminal.open(options.link)) {
        terminal.close();
        return 1;
    }
    if (!options.control.empty() && !control.open(options.control)) {
        std::cerr << "pelorus-modemsim: cannot create " << options.control << "\n";
        terminal.close();
        return 1;
    }
    std::cout << "ready " << options.link << std::endl;

    Drop drop;
    while (!stopRequested) {
        const auto now = Clock::now();
        // The last answer gets a moment to be read: closing the terminal discards unread input.
        if (drop.pending && !outbox.empty())
            drop.closeAt = now + std::chrono::milliseconds(kDropGraceMs);
        if (drop.pending && outbox.empty() && now >= drop.closeAt) {
            terminal.close();
            drop.pending = false;
            std::cout << "dropped" << std::endl;
        }
        if (drop.comesBack && terminal.fd() < 0 && now >= drop.backAt) {
            drop.comesBack = false;
            if (!terminal.open(options.link))
                break;
            std::cout << "back " << options.link << std::endl;
        }
        pollfd fds[2] = {{terminal.fd(), POLLIN, 0}, {control.fd(), POLLIN, 0}};
        int wait = outbox.msToNext();
        // Bytes due wait for room on the terminal, not in a busy loop.
        if (terminal.fd() >= 0 && outbox.due()) {
            fds[0].events |= POLLOUT;
            wait = -1;
        }
        if (drop.pending || drop.comesBack)
            wait = wait < 0 ? kDropGraceMs : std::min(wait, kDropGraceMs);
        timespec timeout{wait / 1000, (wait % 1000) * 1000000L};
        const int ready = ppoll(fds, 2, wait < 0 ? nullptr : &timeout, &waiting);
        if (ready < 0 && errno != EINTR)
            break;
        // Messages added by a test come before the commands that may list them.
        if (ready > 0 && (fds[1].revents & POLLIN))
            control.readLines([&engine](const std::string& l) { ControlLine(engine, l); });
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            char buffer[1024];
            const ssize_t n = ::read(terminal.fd(), buffer, sizeof buffer);
            if (n > 0 && !options.silent && !drop.pending) {
                const auto at = Clock::now();
                for (const auto& out : engine.feed(std::string(buffer, static_cast<size_t>(n)))) {
                    outbox.add(out.echo, at);
                    for (const auto& c : out.chunks)
                        outbox.add(c.bytes,
                                   at + std::chrono::milliseconds(options.latencyMs + c.delayMs),
                                   c.hangUp);
                }
                if (options.dropAfter > 0 && engine.commandsHandled() >= options.dropAfter) {
                    drop.pending = true;
                    drop.closeAt = Clock::now() + std::chrono::milliseconds(kDropGraceMs);
                }
            }
        }
        if (terminal.fd() >= 0 && outbox.writeTo(terminal.fd())) {
            drop.pending = drop.comesBack = true;
            drop.closeAt = Clock::now() + std::chrono::milliseconds(kDropGraceMs);
            drop.backAt = drop.closeAt + std::chrono::milliseconds(kBackAfterMs);
        }
    }
    terminal.close();
    control.close();
    return 0;
}
