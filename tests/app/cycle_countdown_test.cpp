// The arithmetic of the one-second timer: countdown, re-initialisation ticks, error pause.
#include <gtest/gtest.h>

#include <QList>

#include "app/CycleCountdown.h"

namespace {

TEST(CycleCountdown, ReinitCheckFiveSecondsBeforeTheCycle) {
    const struct {
        qint16 period;
        int checkTick;  // -1: never
    } rows[] = {{60, 55}, {10, 5}, {6, 1}, {5, -1}, {3, -1}, {1, -1}};
    for (const auto& r : rows) {
        CycleCountdown c;
        int checkTick = -1;
        for (int tick = 1; tick <= r.period; ++tick)
            if (c.CountSecond(r.period).reinitCheck)
                checkTick = tick;
        EXPECT_EQ(checkTick, r.checkTick) << "period " << r.period;
    }
}

TEST(CycleCountdown, ReinitEveryNthCheckAndNeverMoreOftenThanEverySecond) {
    const struct {
        int setting;
        QList<int> dueAt;  // check numbers 1..10 at which the replacement happens
    } rows[] = {
        {5, {5, 10}},          {2, {2, 4, 6, 8, 10}},  {1, {2, 4, 6, 8, 10}},
        {0, {2, 4, 6, 8, 10}}, {-3, {2, 4, 6, 8, 10}}, {11, {}},
    };
    for (const auto& r : rows) {
        CycleCountdown c;
        QList<int> due;
        for (int check = 1; check <= 10; ++check)
            if (c.ReinitDue(r.setting))
                due << check;
        EXPECT_EQ(due, r.dueAt) << "Reinit/Period " << r.setting;
    }
}

TEST(CycleCountdown, ErrorPauseAlternatesAndEndsAfter120Seconds) {
    CycleCountdown c;
    EXPECT_FALSE(c.InAdoErrorPause());
    for (int i = 0; i < 4; ++i)
        c.CountAdoError();
    ASSERT_TRUE(c.InAdoErrorPause());
    EXPECT_EQ(c.AdoErrorPauseSecond(), QStringLiteral("1"));
    EXPECT_EQ(c.AdoErrorPauseSecond(), QStringLiteral("Пауза при ошибке ADO!!!"));
    EXPECT_EQ(c.AdoErrorPauseSecond(), QStringLiteral("3"));
    for (int i = 4; i <= 120; ++i)
        c.AdoErrorPauseSecond();
    EXPECT_FALSE(c.InAdoErrorPause());
    EXPECT_EQ(c.TickCounter(), 0);
}

}  // namespace
