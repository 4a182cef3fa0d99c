#include "files/AlarmLamps.h"

void AlarmLamps::SetAlarm(int group, int state) {
    if (group < 0 || group >= kGroups)
        return;
    if (state == AlarmSuccess) {
        colours_[2 * group] = kGreen;
    } else {
        colours_[2 * group] = kRed;
        colours_[2 * group + 1] = kRed;
    }
    if (onChanged)
        onChanged();
    if (state != AlarmSuccess && onRestoreRequested)
        onRestoreRequested();
}

void AlarmLamps::ResetAlarm(int group) {
    if (group < 0 || group >= kGroups)
        return;
    colours_[2 * group] = kGreen;
    colours_[2 * group + 1] = kGreen;
    if (onChanged)
        onChanged();
}

quint32 AlarmLamps::colour(int lamp) const {
    return lamp >= 0 && lamp < kLamps ? colours_[lamp] : kIdle;
}
