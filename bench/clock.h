/*
 * The stopwatch of the in-process benchmark programs: milliseconds between
 * laps, from the performance counter, so that steps of well under a
 * millisecond still show.
 */
#ifndef BENCH_CLOCK_H
#define BENCH_CLOCK_H

#include <windows.h>

inline LARGE_INTEGER &ClockMark()
{
    static LARGE_INTEGER mark;
    return mark;
}

inline void StartClock()
{
    QueryPerformanceCounter(&ClockMark());
}

/* Milliseconds since the last StartClock or Lap. */
inline double Lap()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    double ms = (double)(now.QuadPart - ClockMark().QuadPart) * 1000.0 / (double)frequency.QuadPart;
    ClockMark() = now;
    return ms;
}

#endif
