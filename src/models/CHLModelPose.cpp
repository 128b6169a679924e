#include <cmath>

#include "math/FloatArrays.h"
#include "models/CHLModelData.h"
#include "models/HLWorkAreas.h"
#include "platform/LittleEndian.h"

using namespace hl;

namespace {

constexpr float PI = 3.14159265358979323846f;

// The run of a channel that holds frame k, k counted from the run's start.
struct ChannelRun {
    const uint8_t* at;    // its header: valid count, total count
    int32_t valid;
    int32_t total;
    int32_t k;
    bool    last;         // no further run belongs to the sequence
};

// Walks the runs of a channel within [at, end). False when they end before
// frame k or leave the data, whatever the file's counts say.
bool FindRun(const uint8_t* at, const uint8_t* end, int32_t k, int32_t frames, ChannelRun& run) {
    int32_t covered = 0;
    while (end - at >= 2) {
        const int32_t valid = at[0];
        const int32_t total = at[1];
        if (end - at < 2 + 2 * valid) {
            return false;
        }
        covered += total;
        if (total > k) {
            run = { at, valid, total, k, covered >= frames };
            return true;
        }
        if (covered >= frames) {
            return false;
        }
        k -= total;
        at += 2 + 2 * valid;
    }
    return false;
}

// Value i of a run, counted from 1; 0 reads the header as the format does
// for a run without values.
float RunValue(const ChannelRun& run, int32_t i) {
    return static_cast<int16_t>(U16(run.at + 2 * i));
}

// The first value of the next run. At the sequence's last frame there is
// none to read, so the channel holds its value there.
float NextRunValue(const ChannelRun& run, const uint8_t* end, float held) {
    if (run.last || end - run.at < 2 * (run.valid + 2) + 2) {
        return held;
    }
    return RunValue(run, run.valid + 2);
}

// The channel's runs, or null when it is constant (or points outside).
const uint8_t* ChannelRuns(const uint8_t* block, const uint8_t* end, int channel) {
    const uint16_t offset = U16(block + 2 * channel);
    return offset != 0 && end - block > offset ? block + offset : nullptr;
}

struct FrameAt {
    int32_t k;       // whole frame
    float   s;       // towards the next
    int32_t frames;
};

// The rotation values of frame k and k + 1, as read from the runs.
bool RotationValues(const uint8_t* runs, const uint8_t* end, const FrameAt& at, float& a1, float& a2) {
    ChannelRun run;
    if (!FindRun(runs, end, at.k, at.frames, run)) {
        return false;
    }
    const int32_t k = run.k;
    if (run.valid > k) {
        a1 = RunValue(run, k + 1);
        a2 = run.valid > k + 1 ? RunValue(run, k + 2) : run.total > k + 1 ? a1 : NextRunValue(run, end, a1);
    } else {
        a1 = RunValue(run, run.valid);
        a2 = run.total > k + 1 ? a1 : NextRunValue(run, end, a1);
    }
    return true;
}

bool PositionValue(const uint8_t* runs, const uint8_t* end, const FrameAt& at, float& value) {
    ChannelRun run;
    if (!FindRun(runs, end, at.k, at.frames, run)) {
        return false;
    }
    const int32_t k = run.k;
    if (run.valid > k) {
        value = run.valid > k + 1 ? RunValue(run, k + 1) * (1.0f - at.s) + RunValue(run, k + 2) * at.s
                                  : RunValue(run, k + 1);
    } else {
        const float held = RunValue(run, run.valid);
        value = run.total <= k + 1 ? held * (1.0f - at.s) + NextRunValue(run, end, held) * at.s : held;
    }
    return true;
}

// One blend: every bone's rotation and position at the frame.
void PoseBlend(const uint8_t* bones, int32_t boneCount, const uint8_t* blocks, const uint8_t* end,
               const FrameAt& at, const float* adjust, float (*quaternion)[4], float (*position)[3]) {
    for (int32_t b = 0; b < boneCount; b++) {
        const uint8_t* bone = bones + size_t(b) * BONE_SIZE;
        const uint8_t* block = blocks + size_t(b) * 12;
        const auto controllerOf = [&](int channel) { return Int32At(bone + 40 + 4 * channel); };
        const auto valueOf = [&](int channel) { return FloatAt(bone + 64 + 4 * channel); };
        const auto scaleOf = [&](int channel) { return FloatAt(bone + 88 + 4 * channel); };
        float angle1[3];
        float angle2[3];
        for (int c = 0; c < 3; c++) {
            float a1 = 0.0f;
            float a2 = 0.0f;
            const uint8_t* runs = ChannelRuns(block, end, 3 + c);
            if (runs != nullptr && RotationValues(runs, end, at, a1, a2)) {
                a1 = valueOf(3 + c) + a1 * scaleOf(3 + c);
                a2 = valueOf(3 + c) + a2 * scaleOf(3 + c);
            } else {
                a1 = a2 = valueOf(3 + c);
            }
            if (controllerOf(3 + c) != -1) {
                a1 += adjust[controllerOf(3 + c)];
                a2 += adjust[controllerOf(3 + c)];
            }
            angle1[c] = a1;
            angle2[c] = a2;
        }
        if (VectorsEqual3(angle1, angle2)) {
            AnglesToQuaternion(angle1, quaternion[b]);
        } else {
            float q1[4];
            float q2[4];
            AnglesToQuaternion(angle1, q1);
            AnglesToQuaternion(angle2, q2);
            SlerpQuaternion(q1, q2, at.s, quaternion[b]);
        }
        for (int c = 0; c < 3; c++) {
            float p = valueOf(c);
            float read = 0.0f;
            const uint8_t* runs = ChannelRuns(block, end, c);
            if (runs != nullptr && PositionValue(runs, end, at, read)) {
                p += read * scaleOf(c);
            }
            if (controllerOf(c) != -1) {
                p += adjust[controllerOf(c)];
            }
            position[b][c] = p;
        }
    }
}

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

// Blend from to towards by t into to.
void CombineBlends(int32_t boneCount, float t, float (*toQ)[4], float (*toP)[3], float (*byQ)[4], float (*byP)[3]) {
    for (int32_t b = 0; b < boneCount; b++) {
        float q[4];
        SlerpQuaternion(toQ[b], byQ[b], t, q);
        for (int i = 0; i < 4; i++) {
            toQ[b][i] = q[i];
        }
        for (int i = 0; i < 3; i++) {
            toP[b][i] = toP[b][i] * (1.0f - t) + byP[b][i] * t;
        }
    }
}

// value as one of steps settings between start and end; a range of zero
// width or a value that is not a number takes the first.
float Step(float value, float start, float end, int32_t steps, uint8_t& setting) {
    const double ratio = end != start ? steps * (double(value) - start) / (double(end) - start) : 0.0;
    int32_t chosen = 0;
    if (ratio > steps) {
        chosen = steps;
    } else if (ratio > 0.0) {
        chosen = static_cast<int32_t>(ratio);
    }
    setting = static_cast<uint8_t>(chosen);
    return static_cast<float>(chosen) / static_cast<float>(steps) * (end - start) + start;
}

// Brings a rotation near the middle of a range narrower than a turn.
float WrapIntoRange(float value, float start, float end) {
    if (value > (start + end) / 2 + 180) {
        value -= 360;
    }
    if (value < (start + end) / 2 - 180) {
        value += 360;
    }
    return value;
}


}  // namespace

HLWorkAreas::HLWorkAreas() {
    ambientLight = 32;
    shadeLight = 192.0f;
    lightColour[0] = lightColour[1] = lightColour[2] = 1.0f;
    lambert = 1.5f;
}

namespace {

// Each controller's value as the bones take it: degrees become radians.
void CalcControllers(const CHLModelData& data, const CHLPose& pose, float adjust[HL_MAX_CONTROLLERS]) {
    const int32_t count = data.HeaderValue(H_CONTROLLER_COUNT);
    for (int32_t j = 0; j < count; j++) {
        const uint8_t* record = data.Header() + data.HeaderValue(H_CONTROLLERS) + size_t(j) * CONTROLLER_SIZE;
        const int32_t type = Int32At(record + C_TYPE);
        const int32_t index = Int32At(record + C_INDEX);
        const float start = FloatAt(record + C_START);
        const float end = FloatAt(record + C_END);
        float value = 0.0f;
        if (index < 4 && (type & CONTROLLER_WRAPS) != 0) {
            value = pose.controller[index] * (360.0f / 256.0f) + start;
        } else {
            const float v = index < 4 ? Clamp01(pose.controller[index] / 255.0f) : std::fmin(pose.mouth / 64.0f, 1.0f);
            value = (1.0f - v) * start + v * end;
        }
        const int32_t kind = type & ~CONTROLLER_WRAPS;
        adjust[j] = kind == 8 || kind == 16 || kind == 32 ? value * (PI / 180.0f) : value;
    }
}

float SetSetting(const uint8_t* record, float value, int32_t steps, uint8_t& setting) {
    const float start = FloatAt(record + C_START);
    const float end = FloatAt(record + C_END);
    if ((Int32At(record + C_TYPE) & CONTROLLER_ROTATIONS) != 0) {
        if (end < start) {
            value = -value;
        }
        if (start + 359.0f >= end) {
            value = WrapIntoRange(value, start, end);
        } else if (value > 360.0f) {
            value -= std::trunc(value / 360.0f) * 360.0f;
        } else if (value < 0.0f) {
            value += std::trunc(value / -360.0f + 1.0f) * 360.0f;
        }
    }
    return Step(value, start, end, steps, setting);
}

}  // namespace

void CHLPose::SelectSequence(int32_t number) {
    sequence = number;
    frame = 0.0f;
}

const uint8_t* CHLPose::CurrentSequence(const CHLModelData& data) const {
    return data.Sequence(sequence >= 0 && sequence < data.HeaderValue(H_SEQUENCE_COUNT) ? sequence : 0);
}

float CHLPose::SetControllerValue(const CHLModelData& data, int32_t slot, float value) {
    const int32_t count = data.HeaderValue(H_CONTROLLER_COUNT);
    for (int32_t i = 0; i < count && slot >= 0 && slot < 4; i++) {
        const uint8_t* record = data.Header() + data.HeaderValue(H_CONTROLLERS) + static_cast<size_t>(i) * CONTROLLER_SIZE;
        if (Int32At(record + C_INDEX) == slot) {
            return SetSetting(record, value, 255, controller[slot]);
        }
    }
    return value;
}

float CHLPose::SetMouthValue(const CHLModelData& data, float value) {
    const int32_t count = data.HeaderValue(H_CONTROLLER_COUNT);
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* record = data.Header() + data.HeaderValue(H_CONTROLLERS) + static_cast<size_t>(i) * CONTROLLER_SIZE;
        if (Int32At(record + C_INDEX) == MOUTH_SLOT) {
            return SetSetting(record, value, 64, mouth);
        }
    }
    return value;
}

float CHLPose::SetBlendValue(const CHLModelData& data, int32_t slot, float value) {
    if (slot < 0 || slot > 1) {
        return value;
    }
    const uint8_t* current = CurrentSequence(data);
    const int32_t type = Int32At(current + S_BLEND_TYPE + 4 * slot);
    const float start = FloatAt(current + S_BLEND_START + 4 * slot);
    const float end = FloatAt(current + S_BLEND_END + 4 * slot);
    if (type == 0) {
        return value;
    }
    if ((type & CONTROLLER_ROTATIONS) != 0) {
        if (end < start) {
            value = -value;
        }
        if (start + 359.0f >= end) {
            value = WrapIntoRange(value, start, end);
        }
    }
    return Step(value, start, end, 255, blending[slot]);
}

void SetUpHLBones(const CHLModelData& data, CHLPose& pose, HLWorkAreas& work) {
    if (pose.sequence < 0 || pose.sequence >= data.HeaderValue(H_SEQUENCE_COUNT)) {
        pose.sequence = 0;
    }
    const uint8_t* record = data.Sequence(pose.sequence);
    const uint8_t* end = nullptr;
    const uint8_t* blocks = data.AnimationData(record, end);
    float adjust[HL_MAX_CONTROLLERS] = {};
    CalcControllers(data, pose, adjust);

    const int32_t boneCount = data.HeaderValue(H_BONE_COUNT);
    const uint8_t* bones = data.Header() + data.HeaderValue(H_BONES);
    const int32_t frames = Int32At(record + S_FRAME_COUNT);
    // A frame set from outside is held within the sequence.
    float f = pose.frame >= 0.0f ? pose.frame : 0.0f;
    if (f > float(frames - 1)) {
        f = float(frames - 1);
    }
    FrameAt at;
    at.k = static_cast<int32_t>(f);
    at.s = f - float(at.k);
    at.frames = frames;
    const int32_t blends = Int32At(record + S_BLEND_COUNT);
    const size_t blendSize = size_t(boneCount) * 12;
    const int32_t posed = blends >= 4 ? 4 : blends > 1 ? 2 : 1;
    for (int32_t b = 0; b < posed; b++) {
        PoseBlend(bones, boneCount, blocks + size_t(b) * blendSize, end, at, adjust, work.quaternion[b],
                  work.position[b]);
        const int32_t motion = Int32At(record + S_MOTION_TYPE);
        const int32_t motionBone = Int32At(record + S_MOTION_BONE);
        for (int axis = 0; axis < 3; axis++) {
            if ((motion & (1 << axis)) != 0) {
                work.position[b][motionBone][axis] = 0.0f;
            }
        }
    }
    const float t0 = Clamp01(pose.blending[0] / 255.0f);
    if (posed >= 2) {
        CombineBlends(boneCount, t0, work.quaternion[0], work.position[0], work.quaternion[1], work.position[1]);
    }
    if (posed == 4) {
        CombineBlends(boneCount, t0, work.quaternion[2], work.position[2], work.quaternion[3], work.position[3]);
        CombineBlends(boneCount, Clamp01(pose.blending[1] / 255.0f), work.quaternion[0], work.position[0],
                      work.quaternion[2], work.position[2]);
    }

    for (int32_t b = 0; b < boneCount; b++) {
        float m[3][4];
        QuaternionToMatrix3x4(work.quaternion[0][b], m);
        for (int i = 0; i < 3; i++) {
            m[i][3] = work.position[0][b][i];
        }
        const int32_t parent = Int32At(bones + size_t(b) * BONE_SIZE + 32);
        if (parent == -1) {
            for (int i = 0; i < 3; i++) {
                for (int j = 0; j < 4; j++) {
                    work.boneTransform[b][i][j] = m[i][j];
                }
            }
        } else {
            ConcatMatrix3x4(work.boneTransform[parent], m, work.boneTransform[b]);
        }
    }
}
