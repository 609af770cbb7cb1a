// The performance counter: CLOCK_MONOTONIC in nanoseconds.

#include "platform/win/win32.h"

#include <ctime>

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return FALSE;
    count->QuadPart = static_cast<LONGLONG>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1'000'000'000;
    return TRUE;
}
