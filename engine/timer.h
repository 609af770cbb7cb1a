#pragma once

// Elapsed time since Start on the performance counter, less the time spent
// between Pause and Resume.

#include <cstdint>

class Timer
{
public:
    std::int64_t StartTicks = 0;
    std::int64_t Frequency = 0;
    std::int64_t PausedTicks = 0;
    std::int64_t PauseStart = 0;
    bool Paused = false;

    Timer();

    void Start();
    void Pause();
    // Subtracts the whole pause at once; until then the time keeps running.
    void Resume();
    std::int64_t GetTicks() const;
    // Whole seconds, truncated.
    std::int64_t GetSec() const;
    // Counted in units of Frequency / 1000 ticks.
    std::int64_t GetMilliSec() const;
};
