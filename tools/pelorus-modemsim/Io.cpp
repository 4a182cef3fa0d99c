#include "Io.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace modemsim {

bool Terminal::open(const std::string& link) {
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

void Terminal::close() {
    if (!link_.empty())
        unlink(link_.c_str());
    link_.clear();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

void Outbox::add(const std::string& bytes, Clock::time_point due, bool hangUp) {
    if (bytes.empty() && !hangUp)
        return;
    const size_t step = chunk_ > 0 ? size_t(chunk_) : std::max<size_t>(1, bytes.size());
    for (size_t at = 0; at < bytes.size() || (at == 0 && hangUp); at += step) {
        if (!pieces_.empty() && pieces_.back().due > due)
            due = pieces_.back().due;
        const bool last = at + step >= bytes.size();
        pieces_.push_back({due, bytes.substr(std::min(at, bytes.size()), step), hangUp && last});
        due += std::chrono::milliseconds(chunk_ > 0 ? chunkGapMs_ : 0);
    }
}

int Outbox::msToNext() const {
    if (pieces_.empty())
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(pieces_.front().due - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
}

bool Outbox::writeTo(int fd) {
    while (due()) {
        Piece& p = pieces_.front();
        const ssize_t n = p.bytes.empty() ? 0 : ::write(fd, p.bytes.data(), p.bytes.size());
        if (n < 0 || (n == 0 && !p.bytes.empty()))
            return false;
        p.bytes.erase(0, static_cast<size_t>(n));
        if (!p.bytes.empty())
            return false;
        const bool hangUp = p.hangUp;
        pieces_.pop_front();
        if (hangUp) {
            pieces_.clear();
            return true;
        }
    }
    return false;
}

bool ControlFifo::open(const std::string& path) {
    path_ = path;
    unlink(path.c_str());
    if (mkfifo(path.c_str(), 0600) != 0)
        return false;
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    keepOpen_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // no end of file between writers
    return fd_ >= 0;
}

void ControlFifo::readLines(const std::function<void(const std::string&)>& onLine) {
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

void ControlFifo::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::close(keepOpen_);
        unlink(path_.c_str());
    }
    fd_ = -1;
}

}  // namespace modemsim
