// The serial port on Windows, with the comm calls of the classic COM-port driver: CreateFileA,
// SetCommTimeouts, BuildCommDCBA, SetCommState, ReadFile, WriteFile, PurgeComm,
// FlushFileBuffers, CloseHandle, GetLastError. A read waits at most 200 ms between bytes and
// 257 ms in all. Windows has no readiness wait among these calls, so waitForInput reads ahead
// into pending_ and read hands those bytes out first.
#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <cstring>

#include "phone/SerialPort.h"

namespace {
HANDLE Handle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// One ReadFile; a failing read (the device was unplugged) sets lost.
std::string ReadOnce(HANDLE h, bool& lost) {
    char buffer[SerialPort::kReadSize + 1];
    DWORD got = 0;
    if (!ReadFile(h, buffer, SerialPort::kReadSize, &got, nullptr)) {
        lost = true;
        return {};
    }
    return std::string(buffer, got);
}
}  // namespace

SerialPort::~SerialPort() {
    close();
}

SerialPort::OpenResult SerialPort::open(const std::string& device, const std::string& mode) {
    close();
    lost_ = false;
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // Opened without sharing: a port another program holds is refused as access denied.
        const unsigned long code = GetLastError();
        const bool held = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        return {held ? OpenStep::Busy : OpenStep::Device, code};
    }
    auto fail = [h](OpenStep step) {
        const unsigned long code = GetLastError();
        CloseHandle(h);
        return OpenResult{step, code};
    };
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 200;
    timeouts.ReadTotalTimeoutMultiplier = 1;
    timeouts.ReadTotalTimeoutConstant = 1;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    timeouts.WriteTotalTimeoutConstant = 1;
    if (!SetCommTimeouts(h, &timeouts))
        return fail(OpenStep::Timeouts);
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    if (!BuildCommDCBA(mode.c_str(), &dcb))
        return fail(OpenStep::BuildDcb);
    if (!SetCommState(h, &dcb))
        return fail(OpenStep::SetDcb);
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return {OpenStep::Done, 0};
}

int SerialPort::close() {
    pending_.clear();
    if (!isOpen())
        return 0;
    const int result = CloseHandle(Handle(handle_));
    handle_ = kNoHandle;
    return result;
}

void SerialPort::write(const std::string& bytes) {
    if (!isOpen())
        return;
    DWORD written = 0;
    WriteFile(Handle(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string SerialPort::read() {
    if (!isOpen())
        return {};
    if (!pending_.empty()) {
        std::string out = pending_.substr(0, kReadSize);
        pending_.erase(0, out.size());
        return out;
    }
    return lost_ ? std::string() : ReadOnce(Handle(handle_), lost_);
}

bool SerialPort::waitForInput(int ms) {
    if (!isOpen() || lost_)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (pending_.empty()) {
        pending_ = ReadOnce(Handle(handle_), lost_);
        if (lost_)
            return false;
        if (pending_.empty() && std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    return true;
}

void SerialPort::purge() {
    if (!isOpen())
        return;
    pending_.clear();
    PurgeComm(Handle(handle_), PURGE_TXABORT | PURGE_TXCLEAR);
    PurgeComm(Handle(handle_), PURGE_RXABORT | PURGE_RXCLEAR);
}

void SerialPort::flush() {
    if (isOpen())
        FlushFileBuffers(Handle(handle_));
}

#endif  // _WIN32
