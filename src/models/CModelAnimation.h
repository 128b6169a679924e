#pragma once

#include <cstdint>
#include <string>

// A named run of frames of a model: frames first .. first + count - 1 of its
// frame table. Polymorphic because some formats keep the frames themselves
// in a subclass.
class CModelAnimation {
public:
    // Names are stored in a 68-byte field, terminator included.
    static constexpr size_t MAX_NAME_LENGTH = 67;

    CModelAnimation(const std::string& animationName, int32_t firstFrame, int32_t frameCount)
        : name(animationName.substr(0, MAX_NAME_LENGTH)), first(firstFrame), count(frameCount) {}
    virtual ~CModelAnimation() = default;

    std::string name;
    int32_t     first = 0;
    int32_t     count = 0;
};

// Frame names number the frames of an animation: "stand01" is in "stand".
// The first character always stays ("123" is in "1").
inline std::string GroupName(const std::string& frameName) {
    if (frameName.empty()) {
        return frameName;
    }
    size_t last = frameName.size() - 1;
    while (last > 0 && frameName[last] >= '0' && frameName[last] <= '9') {
        last--;
    }
    return frameName.substr(0, last + 1);
}
