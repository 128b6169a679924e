#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "diag/CDiagnostics.h"
#include "support/CapturedReports.h"
#include "view/CPerfTimer.h"

namespace {

// A counter that hands out the readings a test lays down, in order.
std::vector<uint64_t> readings;
size_t nextReading = 0;

uint64_t NextReading() {
    return readings.at(nextReading++);
}

// One Start and Stop per interval, each starting where the clock happens to be.
CPerfTimer TimerWithIntervals(const std::vector<uint64_t>& intervals, double frequency) {
    readings.clear();
    nextReading = 0;
    uint64_t now = 0xFFFFFF00u;   // the low word wraps during the first interval
    for (uint64_t interval : intervals) {
        readings.push_back(now);
        readings.push_back(now + interval);
        now += interval + 17;
    }
    CPerfTimer timer(NextReading, frequency);
    for (size_t i = 0; i < intervals.size(); i++) {
        timer.Start(false);
        timer.Stop();
    }
    return timer;
}

} // namespace

// Five seconds of a nanosecond clock do not fit in the low word either.
TEST(PerfTimer, ReportNeedsFourIntervalsAndDropsTheShortestAndLongest) {
    CCapturedReports reports;
    TimerWithIntervals({ 100, 200, 300 }, 1000000.0).Report(2);
    EXPECT_EQ(CTestFolder::Read(Diagnostics().LogFilePath()), "");
    CPerfTimer timer = TimerWithIntervals({ 100, 200, 300, 1000 }, 1000000.0);
    timer.Report(2);
    EXPECT_EQ(CTestFolder::Read(Diagnostics().LogFilePath()), "Average Timed Interval =     250 microseconds\n");
    EXPECT_EQ(timer.Count(), 2);
    timer = TimerWithIntervals({ 1, 5000000000ull, 5000000000ull, 6000000000ull }, 1e9);
    EXPECT_EQ(timer.TakeReportText(), "Average Timed Interval = 5000000 microseconds\n");
}
