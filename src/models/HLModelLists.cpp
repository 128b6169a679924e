#include <cstring>

#include "models/CHLModelData.h"
#include "platform/LittleEndian.h"

using namespace hl;

namespace {

// count records of size at offset, inside the file and past its header, and
// no more than the listing takes.
bool ListFits(const std::vector<uint8_t>& file, int32_t offset, int32_t count, size_t size) {
    return count >= 0 && count <= HL_MAX_LISTED &&
           (count == 0 || (offset >= 0 && size_t(offset) >= HEADER_SIZE &&
                           uint64_t(offset) + uint64_t(count) * size <= file.size()));
}

std::string TextAt(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
}

CVector VectorAt(const uint8_t* at) {
    return CVector(FloatAt(at), FloatAt(at + 4), FloatAt(at + 8));
}

}  // namespace

void ReadHLLists(CHLModelData& data) {
    const std::vector<uint8_t>& file = data.header;
    // Sequences may share one table of events: the count is of them all.
    int64_t listed = 0;
    data.events.resize(size_t(data.HeaderValue(H_SEQUENCE_COUNT)));
    for (size_t i = 0; i < data.events.size(); i++) {
        const uint8_t* sequence = data.Sequence(int32_t(i));
        const int32_t count = Int32At(sequence + S_EVENT_COUNT);
        const int32_t offset = Int32At(sequence + S_EVENTS);
        if (!ListFits(file, offset, count, EVENT_SIZE) || listed + count > HL_MAX_LISTED) {
            continue;
        }
        listed += count;
        for (int32_t e = 0; e < count; e++) {
            const uint8_t* event = file.data() + offset + size_t(e) * EVENT_SIZE;
            data.events[i].push_back({ Int32At(event), Int32At(event + 4), TextAt(event + 12, 64) });
        }
    }
    const int32_t hitBoxes = data.HeaderValue(H_HIT_BOX_COUNT);
    if (ListFits(file, data.HeaderValue(H_HIT_BOXES), hitBoxes, HIT_BOX_SIZE)) {
        for (int32_t h = 0; h < hitBoxes; h++) {
            const uint8_t* box = file.data() + data.HeaderValue(H_HIT_BOXES) + size_t(h) * HIT_BOX_SIZE;
            data.hitBoxes.push_back({ Int32At(box), Int32At(box + 4), VectorAt(box + 8), VectorAt(box + 20) });
        }
    }
    const int32_t attachments = data.HeaderValue(H_ATTACHMENT_COUNT);
    if (ListFits(file, data.HeaderValue(H_ATTACHMENTS), attachments, ATTACHMENT_SIZE)) {
        for (int32_t a = 0; a < attachments; a++) {
            const uint8_t* at = file.data() + data.HeaderValue(H_ATTACHMENTS) + size_t(a) * ATTACHMENT_SIZE;
            data.attachments.push_back({ TextAt(at, NAME_SIZE), Int32At(at + 36), VectorAt(at + 40) });
        }
    }
}
