#include <gtest/gtest.h>

#include "files/AlarmLamps.h"

namespace {

TEST(AlarmLampRules, LeftLampShowsTheStateRightLampLatchesTheAlarm) {
    AlarmLamps lamps;
    int restores = 0;
    lamps.onRestoreRequested = [&] { ++restores; };
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmSuccess);
    EXPECT_EQ(lamps.colour(2), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(3), AlarmLamps::kRed);
    EXPECT_EQ(restores, 2);  // each alarm asks for the window, success does not
    for (int lamp : {0, 1, 4, 5})
        EXPECT_EQ(lamps.colour(lamp), AlarmLamps::kIdle) << lamp;

    lamps.ResetAlarm(AlarmPhone);  // double-click on the "Телефон" frame
    EXPECT_EQ(lamps.colour(2), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(3), AlarmLamps::kGreen);
    EXPECT_EQ(restores, 2);
}

TEST(AlarmLampRules, AnyStateOtherThanSuccessRaises) {
    for (int state : {0, 1, 3, -1}) {
        AlarmLamps lamps;
        lamps.SetAlarm(AlarmDatabase, state);
        EXPECT_EQ(lamps.colour(0), AlarmLamps::kRed) << state;
        EXPECT_EQ(lamps.colour(1), AlarmLamps::kRed) << state;
    }
}

TEST(AlarmLampRules, GroupsOutsideTheThreeChangeNothing) {
    AlarmLamps lamps;
    int changes = 0;
    lamps.onChanged = [&] { ++changes; };
    lamps.SetAlarm(3, AlarmRaised);
    lamps.SetAlarm(-1, AlarmRaised);
    lamps.ResetAlarm(7);
    EXPECT_EQ(changes, 0);
    lamps.SetAlarm(AlarmFiles, AlarmSuccess);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lamps.colour(4), AlarmLamps::kGreen);
    EXPECT_EQ(lamps.colour(5), AlarmLamps::kIdle);
}

}  // namespace
