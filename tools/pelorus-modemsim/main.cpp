// pelorus-modemsim: a GSM modem in PDU mode on a pseudo-terminal, for trying and testing the
// gateway without hardware. See Usage() for the options.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <string>

#include "ModemEngine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDropGraceMs = 50;

const char kUsage[] =
    "usage: pelorus-modemsim --link PATH [options]\n"
    "\n"
    "Answers on a pseudo-terminal like a GSM phone in PDU mode. PATH becomes a symbolic link to\n"
    "the terminal: give it to the gateway as its ComPort. Runs until SIGTERM or SIGINT.\n"
    "\n"
    "  --link PATH          the symbolic link to create (required)\n"
    "  --inbox FILE         messages in the storages at start: one hex PDU a line, optionally\n"
    "                       prefixed \"ME:\" or \"SM:\" (no prefix: SM)\n"
    "  --sent FILE          every accepted SMS-SUBMIT PDU is appended here, one hex PDU a line\n"
    "  --smsc NUMBER        the SMS-centre number AT+CSCA? reports (default +79001111111)\n"
    "  --status-reports     an accepted SMS-SUBMIT that asks for a report puts an\n"
    "                       SMS-STATUS-REPORT for it into ME\n"
    "  --control PATH       a FIFO created at PATH; each line written to it adds a message,\n"
    "                       in the --inbox form. The modem prints \"added STORAGE INDEX\" on\n"
    "                       standard output once the message is there\n"
    "\n"
    "Faults:\n"
    "  --latency MS         wait MS milliseconds before each answer (the echo comes at once)\n"
    "  --chunk N[:MS]       send echo and answers in pieces of N bytes, MS ms apart (default 5)\n"
    "  --silent             never answer, not even the echo\n"
    "  --fail CMD[:K]       answer ERROR to the K-th (or every) command CMD, e.g. CMGD, CSQ, Z;\n"
    "                       for CMGS the prompt comes and the PDU gets \"+CMS ERROR: 500\".\n"
    "                       May be given more than once\n"
    "  --drop-after N       close the terminal and remove the link after answering N commands,\n"
    "                       as a modem pulled from USB\n"
    "\n"
    "On standard output: \"ready PATH\" once the link exists, \"dropped\" after --drop-after.\n";

struct Options {
    std::string link;
    std::string inbox;
    std::string sent;
    std::string control;
    int latencyMs = 0;
    int chunk = 0;
    int chunkGapMs = 5;
    bool silent = false;
    int dropAfter = 0;
    modemsim::EngineOptions engine;
};

volatile sig_atomic_t stopRequested = 0;
void OnStopSignal(int) {
    stopRequested = 1;
}

bool ParseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 0 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

// Returns 0 to go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 1000;
        }
        if (a == "--silent") {
            o.silent = true;
            continue;
        }
        if (a == "--status-reports") {
            o.engine.statusReports = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "pelorus-modemsim: " << a << " needs a value (or is unknown)\n";
            return 2;
        }
        const std::string v = argv[++i];
        bool ok = true;
        if (a == "--link") {
            o.link = v;
        } else if (a == "--inbox") {
            o.inbox = v;
        } else if (a == "--sent") {
            o.sent = v;
        } else if (a == "--smsc") {
            o.engine.smsc = v;
        } else if (a == "--control") {
            o.control = v;
        } else if (a == "--latency") {
            ok = ParseInt(v, o.latencyMs);
        } else if (a == "--chunk") {
            const size_t colon = v.find(':');
            ok = ParseInt(v.substr(0, colon), o.chunk) && o.chunk > 0 &&
                 (colon == std::string::npos || ParseInt(v.substr(colon + 1), o.chunkGapMs));
        } else if (a == "--drop-after") {
            ok = ParseInt(v, o.dropAfter) && o.dropAfter > 0;
        } else if (a == "--fail") {
            modemsim::FailRule rule;
            const size_t colon = v.find(':');
            for (char c : v.substr(0, colon))
                if (c != '+')
                    rule.command += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ok = !rule.command.empty() &&
                 (colon == std::string::npos ||
                  (ParseInt(v.substr(colon + 1), rule.occurrence) && rule.occurrence > 0));
            o.engine.failures.push_back(rule);
        } else {
            std::cerr << "pelorus-modemsim: unknown option " << a << "\n" << kUsage;
            return 2;
        }
        if (!ok) {
            std::cerr << "pelorus-modemsim: bad value for " << a << ": " << v << "\n";
            return 2;
        }
    }
    if (o.link.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    return 0;
}

// "ME:hex", "SM:hex" or "hex" into the engine; prints where it went.
void AddMessageLine(modemsim::ModemEngine& engine, std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    if (line.empty())
        return;
    std::string storage = "SM";
    if (line.size() > 3 && line[2] == ':') {
        storage = line.substr(0, 2);
        line = line.substr(3);
    }
    const int index = engine.addMessage(storage, line);
    if (index > 0)
        std::cout << "added " << storage << " " << index << std::endl;
    else
        std::cout << "refused " << line << std::endl;
}

// Bytes waiting to go out, each piece not before its time.
struct Piece {
    Clock::time_point due;
    std::string bytes;
};

class Terminal {
public:
    bool open(const std::string& link) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return false;
        const char* name = ptsname(master_);
        if (!name)
            return false;
        // Holding the far side open keeps the terminal alive between the gateway's sessions.
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
        termios tio{};
        if (slave_ < 0 || tcgetattr(slave_, &tio) != 0)
            return false;
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        struct stat st {};
        if (lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            unlink(link.c_str());
        if (symlink(name, link.c_str()) != 0) {
            std::cerr << "pelorus-modemsim: cannot create " << link << ": " << std::strerror(errno)
                      << "\n";
            return false;
        }
        link_ = link;
        return true;
    }
    void close() {
        if (!link_.empty())
            unlink(link_.c_str());
        link_.clear();
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
        slave_ = master_ = -1;
    }
    int fd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string link_;
};

class Outbox {
public:
    explicit Outbox(const Options& o) : options_(o) {}
    void add(const std::string& bytes, Clock::time_point due) {
        if (bytes.empty())
            return;
        const size_t step = options_.chunk > 0 ? size_t(options_.chunk) : bytes.size();
        for (size_t at = 0; at < bytes.size(); at += step) {
            if (!pieces_.empty() && pieces_.back().due > due)
                due = pieces_.back().due;
            pieces_.push_back({due, bytes.substr(at, step)});
            due += std::chrono::milliseconds(options_.chunk > 0 ? options_.chunkGapMs : 0);
        }
    }
    bool empty() const { return pieces_.empty(); }
    bool due() const { return !pieces_.empty() && pieces_.front().due <= Clock::now(); }
    // Milliseconds until the next piece is due (-1: nothing waits).
    int msToNext() const {
        if (pieces_.empty())
            return -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            pieces_.front().due - Clock::now());
        return left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
    }
    void writeTo(int fd) {
        while (due()) {
            std::string& b = pieces_.front().bytes;
            const ssize_t n = ::write(fd, b.data(), b.size());
            if (n <= 0)
                return;
            b.erase(0, static_cast<size_t>(n));
            if (!b.empty())
                return;
            pieces_.pop_front();
        }
    }
    void clear() { pieces_.clear(); }

private:
    const Options& options_;
    std::deque<Piece> pieces_;
};

// Reads whole lines from the control FIFO.
class ControlFifo {
public:
    bool open(const std::string& path) {
        path_ = path;
        unlink(path.c_str());
        if (mkfifo(path.c_str(), 0600) != 0)
            return false;
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        keepOpen_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // no end of file between writers
        return fd_ >= 0;
    }
    template <typename F>
    void readLines(F onLine) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            partial_.append(buffer, static_cast<size_t>(n));
            size_t end;
            while ((end = partial_.find('\n')) != std::string::npos) {
                onLine(partial_.substr(0, end));
                partial_.erase(0, end + 1);
            }
        }
    }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::close(keepOpen_);
            unlink(path_.c_str());
        }
        fd_ = -1;
    }
    int fd() const { return fd_; }

private:
    std::string path_;
    int fd_ = -1;
    int keepOpen_ = -1;
    std::string partial_;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int code = ParseOptions(argc, argv, options))
        return code == 1000 ? 0 : code;

    modemsim::ModemEngine engine(options.engine);
    if (!options.inbox.empty()) {
        std::ifstream in(options.inbox);
        if (!in) {
            std::cerr << "pelorus-modemsim: cannot read " << options.inbox << "\n";
            return 1;
        }
        for (std::string line; std::getline(in, line);)
            AddMessageLine(engine, line);
    }
    std::ofstream sent;
    if (!options.sent.empty()) {
        sent.open(options.sent, std::ios::app);
        if (!sent) {
            std::cerr << "pelorus-modemsim: cannot write " << options.sent << "\n";
            return 1;
        }
    }
    engine.onSubmitAccepted = [&sent](const std::string& pdu) {
        if (sent.is_open())
            sent << pdu << std::endl;
    };

    // The stop signals are held back except while waiting, so none is lost between checks.
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

    Outbox outbox(options);
    bool dropPending = false;
    Clock::time_point dropAt;
    while (!stopRequested) {
        // The last answer gets a moment to be read: closing the terminal discards unread input.
        if (dropPending && outbox.empty()) {
            if (dropAt == Clock::time_point())
                dropAt = Clock::now() + std::chrono::milliseconds(kDropGraceMs);
            if (Clock::now() >= dropAt) {
                terminal.close();
                dropPending = false;
                std::cout << "dropped" << std::endl;
            }
        }
        pollfd fds[2] = {{terminal.fd(), POLLIN, 0}, {control.fd(), POLLIN, 0}};
        if (terminal.fd() >= 0 && outbox.due())
            fds[0].events |= POLLOUT;
        const int wait = dropPending && outbox.empty() ? kDropGraceMs : outbox.msToNext();
        timespec timeout{wait / 1000, (wait % 1000) * 1000000L};
        const int ready = ppoll(fds, 2, wait < 0 ? nullptr : &timeout, &waiting);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0) {
            if (terminal.fd() >= 0)
                outbox.writeTo(terminal.fd());
            continue;
        }
        // Messages added by a test come before the commands that may list them.
        if (fds[1].revents & POLLIN)
            control.readLines([&engine](const std::string& l) { AddMessageLine(engine, l); });
        if (fds[0].revents & POLLIN) {
            char buffer[1024];
            const ssize_t n = ::read(terminal.fd(), buffer, sizeof buffer);
            if (n > 0 && !options.silent && !dropPending) {
                const auto now = Clock::now();
                for (const auto& out : engine.feed(std::string(buffer, static_cast<size_t>(n)))) {
                    outbox.add(out.echo, now);
                    outbox.add(out.answer, now + std::chrono::milliseconds(options.latencyMs));
                }
                dropPending =
                    options.dropAfter > 0 && engine.commandsHandled() >= options.dropAfter;
            }
        }
        if (terminal.fd() >= 0)
            outbox.writeTo(terminal.fd());
    }
    terminal.close();
    control.close();
    return 0;
}
