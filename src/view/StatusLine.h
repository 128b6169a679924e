#pragma once

#include <cstddef>
#include <deque>
#include <string>

// What the status line (F2) tells.
struct StatusFacts {
    int         framesPerSecond = 0;
    bool        animating = false;
    int         timerDelayMs = 0;
    // For a scene made for a model file: the model's animation (empty for
    // a sprite, which has none by name) and its frame, from 0, of frameCount.
    bool        modelFile = false;
    std::string animation;
    int         frame = 0;
    int         frameCount = 0;
    size_t      objects = 0;
};

// One line: "25 fps | Animation on, a step every 60 ms | run frame 3/6 | 3 objects".
std::string StatusText(const StatusFacts& facts);

// Frames painted over the last second.
class CFrameRate {
public:
    // Times in seconds of any steady clock, never decreasing.
    void Frame(double now);
    int  PerSecond(double now);

private:
    std::deque<double> frames;
};
