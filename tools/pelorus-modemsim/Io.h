#pragma once
// The modem's ends: the pseudo-terminal behind the link, the bytes waiting to go out on it, and
// the control FIFO a test writes messages into.
#include <chrono>
#include <deque>
#include <functional>
#include <string>

namespace modemsim {

using Clock = std::chrono::steady_clock;

class Terminal {
public:
    // A new pseudo-terminal with PATH as a symbolic link to its far side.
    bool open(const std::string& link);
    void close();
    int fd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string link_;
};

// Bytes waiting to go out, each piece not before its time, cut into --chunk pieces.
class Outbox {
public:
    Outbox(int chunk, int chunkGapMs) : chunk_(chunk), chunkGapMs_(chunkGapMs) {}
    // hangUp: the line drops once these bytes are out.
    void add(const std::string& bytes, Clock::time_point due, bool hangUp = false);
    bool empty() const { return pieces_.empty(); }
    bool due() const { return !pieces_.empty() && pieces_.front().due <= Clock::now(); }
    // Milliseconds until the next piece is due (-1: nothing waits).
    int msToNext() const;
    // Writes what is due; true when a piece that hangs up went out (the rest is dropped).
    bool writeTo(int fd);
    void clear() { pieces_.clear(); }

private:
    struct Piece {
        Clock::time_point due;
        std::string bytes;
        bool hangUp = false;
    };
    int chunk_;
    int chunkGapMs_;
    std::deque<Piece> pieces_;
};

// Reads whole lines from the control FIFO.
class ControlFifo {
public:
    bool open(const std::string& path);
    void readLines(const std::function<void(const std::string&)>& onLine);
    void close();
    int fd() const { return fd_; }

private:
    std::string path_;
    int fd_ = -1;
    int keepOpen_ = -1;
    std::string partial_;
};

}  // namespace modemsim
