#include "phone/SerialPort.h"

#include <cctype>

namespace {
// The port setting as a positive number, or 0 when it is not plain digits.
long PortNumberOf(const std::string& port) {
    if (port.empty() || port.size() > 6)
        return 0;
    long n = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}
}  // namespace

std::string WindowsDeviceName(const std::string& port) {
    const long n = PortNumberOf(port);
    if (n == 0)
        return port;
    return n < 10 ? "COM" + std::to_string(n) + ":" : "\\\\.\\COM" + std::to_string(n);
}

std::string PosixDeviceName(const std::string& port) {
    const long n = PortNumberOf(port);
    return n == 0 ? port : "/dev/ttyS" + std::to_string(n - 1);
}

std::string PlatformDeviceName(const std::string& port) {
#ifdef _WIN32
    return WindowsDeviceName(port);
#else
    return PosixDeviceName(port);
#endif
}

std::string ModeString(const std::string& speed) {
    return speed + ",n,8,1";
}
