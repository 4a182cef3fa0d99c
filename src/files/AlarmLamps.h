#pragma once
// The six alarm lamps, three groups of two, with no widget in it: the window draws them and the
// headless runner prints them. Group 0 database, 1 phone, 2 files; lamps 2i (current state) and
// 2i+1 (latched alarm).
#include <QtGlobal>
#include <array>
#include <functional>

enum AlarmGroup { AlarmDatabase = 0, AlarmPhone = 1, AlarmFiles = 2 };
enum AlarmState { AlarmRaised = 1, AlarmSuccess = 2 };

class AlarmLamps {
public:
    static constexpr int kGroups = 3;
    static constexpr int kLamps = 6;
    // Colour values in the Windows layout 0x00BBGGRR.
    static constexpr quint32 kRed = 255;
    static constexpr quint32 kGreen = 65280;
    static constexpr quint32 kIdle = 0xC0C0C0;  // before anything was reported

    // State 2 turns the group's left lamp green and leaves the right one; any other state turns
    // both red and asks for the window to be restored.
    void SetAlarm(int group, int state);
    // Both lamps of the group green.
    void ResetAlarm(int group);

    quint32 colour(int lamp) const;

    // Called after every change of a lamp.
    std::function<void()> onChanged;
    // Called on every raised alarm: a minimised or maximised window is restored.
    std::function<void()> onRestoreRequested;

private:
    std::array<quint32, kLamps> colours_{kIdle, kIdle, kIdle, kIdle, kIdle, kIdle};
};
