#include "engine/timer.h"

#include "platform/win/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{
void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t Counter()
{
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}
} // namespace

TEST(Timer, ReadsTheCounterFrequency)
{
    Timer timer;
    EXPECT_EQ(timer.Frequency, 1'000'000'000);
    EXPECT_EQ(timer.PausedTicks, 0);
    EXPECT_FALSE(timer.Paused);
}

TEST(Timer, StartsAtZeroAndCountsMilliseconds)
{
    Timer timer;
    timer.Start();
    EXPECT_EQ(timer.GetMilliSec(), 0);
    EXPECT_EQ(timer.GetSec(), 0);
    Sleep(120);
    EXPECT_GE(timer.GetMilliSec(), 120);
    EXPECT_LT(timer.GetMilliSec(), 1000);
    EXPECT_GE(timer.GetTicks(), 120'000'000);
}

TEST(Timer, APauseIsSubtractedOnResume)
{
    Timer paused, running;
    paused.Start();
    running.Start();
    paused.Pause();
    Sleep(300);
    // Until Resume the pause still counts.
    EXPECT_GE(paused.GetMilliSec(), 300);
    paused.Resume();
    const std::int64_t difference = running.GetMilliSec() - paused.GetMilliSec();
    EXPECT_GE(difference, 300);
    EXPECT_LT(difference, 500);
    EXPECT_LT(paused.GetMilliSec(), 200);
}

TEST(Timer, ASecondPauseRestartsThePause)
{
    Timer timer;
    timer.Start();
    timer.Pause();
    Sleep(200);
    timer.Pause();
    timer.Resume();
    EXPECT_GE(timer.GetMilliSec(), 200);
}

TEST(Timer, StartForgetsEarlierPauses)
{
    Timer timer;
    timer.Start();
    timer.Pause();
    Sleep(50);
    timer.Resume();
    timer.Start();
    EXPECT_EQ(timer.PausedTicks, 0);
    EXPECT_EQ(timer.GetMilliSec(), 0);
}

TEST(Timer, MillisecondsUseTheTruncatedThousandthOfTheFrequency)
{
    // 1500 ticks a second: a "millisecond" is 1500 / 1000 = 1 tick, so the
    // count runs half as fast again as true milliseconds would.
    Timer timer;
    timer.Frequency = 1500;
    timer.StartTicks = Counter() - 3'000'000;
    const std::int64_t ms = timer.GetMilliSec();
    EXPECT_GE(ms, 3'000'000);
    EXPECT_LT(ms, 3'100'000);
    const std::int64_t sec = timer.GetSec();
    EXPECT_GE(sec, 2000);
    EXPECT_LT(sec, 2100);
}
