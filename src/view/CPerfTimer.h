#pragma once

#include <cstdint>
#include <string>

// Times intervals (the viewer: one per paint) and keeps their total, longest
// and shortest. Start and Stop first finish all pending OpenGL work when a
// context is current, so an interval covers the GPU's part of a frame.
class CPerfTimer {
public:
    // Ticks of a monotonic clock; frequency is ticks per second.
    using Counter = uint64_t (*)();

    CPerfTimer();
    // For tests: a counter of their own at the frequency they choose.
    CPerfTimer(Counter counter, double frequency);

    // Raising the priority is not supported: the viewer never asks for it.
    void Start(bool raisePriority);
    void Stop();
    // The trimmed average with the shortest and longest interval dropped;
    // empty with fewer than 4 intervals. Reporting removes the two extremes
    // from the statistics, so a second report differs from the first.
    std::string TakeReportText();
    // 1: message box, 2: "log.txt". Other modes write nothing: there is no
    // main-window title to put the text in.
    void Report(int mode);

    int Count() const { return count; }

private:
    Counter  counter;
    double   frequency;
    uint64_t start = 0;
    uint64_t stop = 0;
    double   total = 0.0;
    double   longest = 0.0;
    double   shortest = static_cast<double>(1e17f);
    int      count = 0;
};
