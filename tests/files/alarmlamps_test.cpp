#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QList>

#include "files/AlarmLamps.h"
#include "files/Pacer.h"

namespace {

// Three pairs of lamps: the left one shows the last state, the right one latches the alarm
// until a double-click on the frame resets the pair. Groups outside the three change nothing.
TEST(AlarmLampRules, LeftLampShowsTheStateRightLampLatchesTheAlarm) {
    AlarmLamps lamps;
    int restores = 0, changes = 0;
    lamps.onRestoreRequested = [&] { ++restores; };
    lamps.onChanged = [&] { ++changes; };
    lamps.SetAlarm(3, AlarmRaised);
    lamps.SetAlarm(-1, AlarmRaised);
    lamps.ResetAlarm(7);
    EXPECT_EQ(changes, 0);
    lamps.SetAlarm(AlarmFiles, AlarmSuccess);
    EXPECT_EQ(changes, 1);
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmSuccess);
    EXPECT_EQ(restores, 2);  // each alarm asks for the window, success does not
    EXPECT_EQ(
        QList<quint32>({lamps.colour(0), lamps.colour(1), lamps.colour(2), lamps.colour(3),
                        lamps.colour(4), lamps.colour(5), lamps.colour(6)}),
        QList<quint32>({AlarmLamps::kIdle, AlarmLamps::kIdle, AlarmLamps::kGreen, AlarmLamps::kRed,
                        AlarmLamps::kGreen, AlarmLamps::kIdle, AlarmLamps::kIdle}));
    lamps.ResetAlarm(AlarmPhone);  // double-click on the "Телефон" frame
    EXPECT_EQ(lamps.colour(2), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(3), AlarmLamps::kGreen);
    EXPECT_EQ(restores, 2);
    for (int state : {0, 1, 3, -1}) {  // any state other than success raises
        lamps.ResetAlarm(AlarmDatabase);
        lamps.SetAlarm(AlarmDatabase, state);
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed) << state;
        EXPECT_EQ(lamps.colour(1), AlarmLamps::kRed) << state;
    }
}

// The gateway's real pauses last their length.
TEST(RealPacer, SleepsTheTimeAsked) {
    QElapsedTimer timer;
    timer.start();
    Pacer::real().pause(50);
    EXPECT_GE(timer.elapsed(), 50);
}

}  // namespace
