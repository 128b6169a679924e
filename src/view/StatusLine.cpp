#include "view/StatusLine.h"

std::string StatusText(const StatusFacts& facts) {
    std::string text = std::to_string(facts.framesPerSecond) + " fps | Animation ";
    text += facts.animating ? "on" : "off";
    text += ", a step every " + std::to_string(facts.timerDelayMs) + " ms";
    if (facts.modelFile && (!facts.animation.empty() || facts.frameCount > 0)) {
        text += " |";
        if (!facts.animation.empty()) {
            text += " " + facts.animation;
        }
        if (facts.frameCount > 0) {
            text += " frame " + std::to_string(facts.frame + 1) + "/" + std::to_string(facts.frameCount);
        }
    }
    text += " | " + std::to_string(facts.objects) + (facts.objects == 1 ? " object" : " objects");
    return text;
}

void CFrameRate::Frame(double now) {
    frames.push_back(now);
    PerSecond(now);
}

int CFrameRate::PerSecond(double now) {
    while (!frames.empty() && frames.front() <= now - 1.0) {
        frames.pop_front();
    }
    return static_cast<int>(frames.size());
}
