// The serial port on POSIX systems: termios in raw mode, 8N1, no flow control. Reads never
// block: the exchange waits with waitForInput (poll), which wakes as soon as a byte arrives, so
// the read time-outs of a Windows port (200 ms between bytes, 257 ms in all) are upper bounds
// that a reply which is already there never pays. The port is held for this process alone:
// TIOCEXCL refuses other opens of the terminal, and an exclusive flock stops other programs that
// lock (a second gateway, terminal programs), root ones included.
#ifndef _WIN32
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "phone/SerialPort.h"

namespace {

// The termios speed constant of a mode string "SPEED,n,8,1"; B0 when it names none.
speed_t SpeedOf(const std::string& mode) {
    const std::string speed = mode.substr(0, mode.find(','));
    if (mode.compare(speed.size(), std::string::npos, ",n,8,1") != 0)
        return B0;
    static const struct {
        long bps;
        speed_t code;
    } kSpeeds[] = {{300, B300},      {600, B600},       {1200, B1200},     {2400, B2400},
                   {4800, B4800},    {9600, B9600},     {19200, B19200},   {38400, B38400},
                   {57600, B57600},  {115200, B115200}, {230400, B230400}, {460800, B460800},
                   {921600, B921600}};
    char* end = nullptr;
    const long bps = std::strtol(speed.c_str(), &end, 10);
    if (speed.empty() || *end != '\0')
        return B0;
    for (const auto& s : kSpeeds)
        if (s.bps == bps)
            return s.code;
    return B0;
}

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

SerialPort::~SerialPort() {
    close();
}

SerialPort::OpenResult SerialPort::open(const std::string& device, const std::string& mode) {
    close();
    lost_ = false;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {errno == EBUSY ? OpenStep::Busy : OpenStep::Device,
                static_cast<unsigned long>(errno)};
    auto fail = [fd](OpenStep step, int code) {
        ::close(fd);
        return OpenResult{step, static_cast<unsigned long>(code)};
    };
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? OpenStep::Busy : OpenStep::Device, errno);
    termios tio{};
    // Reading the settings is the step where a non-terminal device fails: the counterpart of
    // setting the time-outs on a Windows port.
    if (tcgetattr(fd, &tio) != 0)
        return fail(OpenStep::Timeouts, errno);
    const speed_t speed = SpeedOf(mode);
    if (speed == B0)
        return fail(OpenStep::BuildDcb, EINVAL);
    cfmakeraw(&tio);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With VMIN 1 a non-blocking read of nothing fails with EAGAIN, so reading 0 bytes can only
    // mean a hang-up (VMIN 0 would read 0 bytes from a quiet line too).
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail(OpenStep::SetDcb, errno);
    ioctl(fd, TIOCEXCL);
    handle_ = fd;
    return {OpenStep::Done, 0};
}

int SerialPort::close() {
    pending_.clear();
    if (!isOpen())
        return 0;
    // The terminal keeps its exclusive mode while anything else holds it open.
    ioctl(Fd(handle_), TIOCNXCL);
    const int result = ::close(Fd(handle_));
    handle_ = kNoHandle;
    return result;
}

void SerialPort::write(const std::string& bytes) {
    if (!isOpen() || lost_)
        return;
    // A Windows port gives a write 1 ms per byte plus 1 ms; a terminal takes the bytes into its
    // buffer at once, so this bound only matters when the driver's buffer is full.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(bytes.size() + 1000);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Fd(handle_), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            lost_ = errno == EIO || errno == ENXIO || errno == ENODEV;
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        pollfd p{Fd(handle_), POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
}

std::string SerialPort::read() {
    if (!isOpen() || lost_)
        return {};
    char buffer[kReadSize + 1];
    const ssize_t n = ::read(Fd(handle_), buffer, kReadSize);
    if (n > 0)
        return std::string(buffer, static_cast<size_t>(n));
    // With nothing there a non-blocking terminal fails with EAGAIN. A hung-up one reads 0 bytes
    // (end of file), one whose device has gone fails with EIO.
    if (n == 0 || (errno != EAGAIN && errno != EINTR))
        lost_ = true;
    return {};
}

bool SerialPort::waitForInput(int ms) {
    if (!isOpen() || lost_)
        return false;
    pollfd p{Fd(handle_), POLLIN, 0};
    const int r = ::poll(&p, 1, ms < 0 ? 0 : ms);
    if (r <= 0)
        return false;
    // A hang-up also reports POLLIN, with nothing to read.
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        lost_ = true;
        return false;
    }
    return true;
}

void SerialPort::purge() {
    if (!isOpen())
        return;
    tcflush(Fd(handle_), TCOFLUSH);
    tcflush(Fd(handle_), TCIFLUSH);
}

void SerialPort::flush() {
    if (isOpen())
        tcdrain(Fd(handle_));
}

#endif  // !_WIN32
