// MD2 files come from scenes and archives: any bytes must either parse into
// data whose frames, command list and mesh stay within the file, with its
// normals as stored or made from the mesh, or be refused with a message.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzSetUp.h"
#include "models/CMd2Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    const ParsedModel stored = ParseMd2(std::vector<uint8_t>(data, data + size), false);
    const ParsedModel recomputed = ParseMd2(std::vector<uint8_t>(data, data + size), true);
    if ((stored.data == nullptr) != (recomputed.data == nullptr) || (stored.data == nullptr) == stored.messages.empty()) {
        __builtin_trap();  // the same bytes read the same way, and a refusal says why
    }
    const auto* md2 = static_cast<const CMd2Data*>(stored.data.get());
    if (md2 == nullptr) {
        return 0;
    }
    md2->TriangleCount();
    CVector min, max;
    // A few frames reach every kind of vertex; all of them would make a file
    // of many frames slow to run.
    for (int32_t frame = -1; frame <= md2->frameCount && frame < 4; frame++) {
        md2->FrameBounds(frame, min, max);
    }
    for (size_t corner = 0; corner < md2->mesh.CornerCount(); corner++) {
        const CMd2Frame last(md2->Frame(md2->frameCount - 1));
        last.Position(md2->mesh.CornerVertex(corner));
        Md2TableNormal(last.NormalIndex(md2->mesh.CornerVertex(corner)));
    }
    for (uint32_t index : md2->mesh.Indices()) {
        if (index >= md2->mesh.CornerCount()) {
            __builtin_trap();
        }
    }
    return 0;
}
