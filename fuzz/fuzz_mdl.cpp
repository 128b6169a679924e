// MDL files come from scenes and archives: any bytes must either parse into
// data whose skins, mesh and frames stay within the file, or be refused with
// a message.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzSetUp.h"
#include "models/CMdlData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    const ParsedModel parsed = ParseMdl(std::vector<uint8_t>(data, data + size));
    const auto* mdl = static_cast<const CMdlData*>(parsed.data.get());
    if (mdl == nullptr) {
        if (parsed.messages.empty()) {
            __builtin_trap();  // a refusal says why
        }
        return 0;
    }
    CVector min, max;
    // A few frames reach every kind; all of them would make a file of many
    // one-frame animations slow to run.
    for (int32_t frame = -1; frame <= mdl->FileFrameCount() && frame < 4; frame++) {
        mdl->FrameBounds(frame, min, max);
    }
    for (const std::unique_ptr<CMdlAnimation>& animation : mdl->animations) {
        for (size_t corner = 0; corner < mdl->mesh.CornerCount() && animation->count > 0; corner++) {
            mdl->Position(animation->Frame(animation->count - 1) + 4 * size_t(mdl->mesh.CornerVertex(corner)));
        }
    }
    return 0;
}
