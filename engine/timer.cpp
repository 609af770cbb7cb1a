#include "engine/timer.h"

#include "platform/win/win32.h"

namespace
{
std::int64_t Now()
{
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}
} // namespace

Timer::Timer()
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    Frequency = frequency.QuadPart;
}

void Timer::Start()
{
    PausedTicks = 0;
    StartTicks = Now();
}

void Timer::Pause()
{
    PauseStart = Now();
}

void Timer::Resume()
{
    PausedTicks += Now() - PauseStart;
}

std::int64_t Timer::GetTicks() const
{
    return Now() - StartTicks - PausedTicks;
}

std::int64_t Timer::GetSec() const
{
    return GetTicks() / Frequency;
}

std::int64_t Timer::GetMilliSec() const
{
    return GetTicks() / (Frequency / 1000);
}
