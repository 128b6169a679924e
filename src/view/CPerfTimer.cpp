#include "view/CPerfTimer.h"

#include <GL/gl.h>
#include <chrono>
#include <cstdio>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "platform/GLCurrentContext.h"

namespace {

uint64_t SteadyClockNanoseconds() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count());
}

void FinishGLWork() {
    if (HasCurrentGLContext()) {
        glFinish();
    }
}

} // namespace

CPerfTimer::CPerfTimer() : CPerfTimer(SteadyClockNanoseconds, 1e9) {}

CPerfTimer::CPerfTimer(Counter counter, double frequency) : counter(counter), frequency(frequency) {}

void CPerfTimer::Start(bool) {
    FinishGLWork();
    start = counter();
}

void CPerfTimer::Stop() {
    FinishGLWork();
    stop = counter();
    // The whole difference: a nanosecond clock wraps its low 32 bits every 4.3 s.
    const double interval = static_cast<double>(stop - start);
    count += 1;
    total += interval;
    if (interval > longest) {
        longest = interval;
    }
    if (interval < shortest) {
        shortest = interval;
    }
}

std::string CPerfTimer::TakeReportText() {
    if (count < 4) {
        return "";
    }
    total -= shortest + longest;
    count -= 2;
    const double average = total / count;
    const double microseconds = 1000000.0 / frequency * average;
    char text[80];
    std::snprintf(text, sizeof text, "Average Timed Interval = %7.0f microseconds\n", microseconds);
    return text;
}

void CPerfTimer::Report(int mode) {
    const std::string text = TakeReportText();
    if (text.empty()) {
        return;
    }
    if (mode == 1) {
        CMessageBox::Show(text);
    } else if (mode == 2) {
        LogLine(text);
    }
}
