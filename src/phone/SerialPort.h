#pragma once
// The serial port beneath MobilePhone: open with speed and framing, one write, one read of up to
// 256 bytes, a wait that wakes when bytes arrive, purge, flush, close. No Qt here: the POSIX
// build uses termios (SerialPortPosix.cpp), the Windows build the Win32 comm calls
// (SerialPortWin32.cpp). Each platform file compiles to nothing on the other platform.
#include <cstdint>
#include <string>

// The device a port setting names. A number N names the Windows device COMN: below 10 and
// \\.\COMN from 10 on; on POSIX systems it names /dev/ttyS(N-1). Any other text is the device
// path itself (/dev/ttyUSB0, a pseudo-terminal link).
std::string WindowsDeviceName(const std::string& port);
std::string PosixDeviceName(const std::string& port);
std::string PlatformDeviceName(const std::string& port);
// "19200" gives "19200,n,8,1": no parity, 8 data bits, 1 stop bit, no handshake.
std::string ModeString(const std::string& speed);

class SerialPort {
public:
    // Where opening stopped; the code is the platform's last error number. Busy: another
    // process holds the device (the port is opened for this process alone).
    enum class OpenStep { Done, Device, Busy, Timeouts, BuildDcb, SetDcb };
    struct OpenResult {
        OpenStep step = OpenStep::Device;
        unsigned long code = 0;
        bool ok() const { return step == OpenStep::Done; }
    };
    static constexpr int kReadSize = 256;

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens device (a name from PlatformDeviceName) with a mode string from ModeString.
    // A failure after the device was opened closes it again.
    OpenResult open(const std::string& device, const std::string& mode);
    // The platform's result of closing (0 when nothing was open).
    int close();
    bool isOpen() const { return handle_ != kNoHandle; }
    // The device went away while open (a USB modem pulled out: a hang-up, or a read of nothing
    // where the device has said bytes are ready): nothing more will arrive.
    bool lost() const { return lost_; }

    // One write call of exactly these bytes; the outcome is not reported.
    void write(const std::string& bytes);
    // One read of up to 256 bytes of what has arrived; empty when nothing has.
    std::string read();
    // Waits up to ms milliseconds; returns as soon as bytes can be read (true) or the device is
    // lost. False when the time ran out.
    bool waitForInput(int ms);
    // Discards pending output, then pending input.
    void purge();
    // Waits until the output has gone out.
    void flush();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    bool lost_ = false;
    std::string pending_;  // bytes a wait has already read (platforms without a readiness wait)
};
