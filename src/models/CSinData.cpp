#include "models/CSinData.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "models/Md2Normals.h"
#include "platform/CAssetSource.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"

namespace {

constexpr int MSG_NO_MESH = 120;
constexpr int MSG_NO_ANIMATIONS = 121;
constexpr int MSG_NOT_A_VALID_MESH = 122;
constexpr int MSG_NOT_A_VALID_DEF = 1021;
// The editor handled each line in a buffer of this size; longer lines are cut.
constexpr size_t LINE_BUFFER_SIZE = 1024;
constexpr size_t MAX_FILE_NAME_LENGTH = 65;
constexpr size_t MESH_HEADER_SIZE = 28;
constexpr size_t GROUP_HEADER_SIZE = 24;
constexpr size_t ANIMATION_HEADER_SIZE = 128;
constexpr size_t FRAME_RECORD_SIZE = 44;
// Far above any real model; a bigger file is not read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;
// What a model's animation files may hold together.
constexpr uint64_t MAX_ANIMATION_BYTES = 128u << 20;
// Far above any real model: further skin and animation lines are ignored,
// each being a texture or a lookup and an animation to keep.
constexpr size_t MAX_SKIN_LINES = 65536;
constexpr size_t MAX_ANIMATION_LINES = 4096;
// Each group's triangles are made once for each vertex count the
// animations have: past this many corners in all, animations of further
// counts are left out.
constexpr int64_t MAX_MESH_CORNERS = int64_t(1) << 23;

bool Fits(int64_t offset, int64_t length, size_t size) {
    return offset >= 0 && length >= 0 && offset + length <= static_cast<int64_t>(size);
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (text.size() < length) {
        return false;
    }
    for (size_t i = 0; i < length; i++) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Block comments may span lines; the flag carries over.
std::string StripComments(const std::string& line, bool& inComment) {
    size_t position = 0;
    for (;;) {
        if (inComment) {
            const size_t end = line.find("*/", position);
            if (end != std::string::npos) {
                inComment = false;
                position = end + 2;
            }
        }
        const size_t start = line.find("/*", position);
        if (start == std::string::npos) {
            break;
        }
        inComment = true;
        position = start + 2;
    }
    if (inComment) {
        return std::string();
    }
    std::string text = line.substr(position);
    const size_t lineComment = text.find("//");
    if (lineComment != std::string::npos) {
        text.resize(lineComment);
    }
    return text;
}

float WordAsFloat(int32_t word) {
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

struct SinRun {
    bool           fan;
    size_t         length;
    const int32_t* words;   // s, t, vertex index for each vertex

    float   S(size_t i) const { return WordAsFloat(words[3 * i]); }
    float   T(size_t i) const { return WordAsFloat(words[3 * i + 1]); }
    int32_t Index(size_t i) const { return words[3 * i + 2]; }
};

// Walks a command list up to its closing 0 or its last word. A run longer
// than the words left ends the list; a run naming a vertex the frames do not
// have is skipped.
template <typename Visit>
void ForEachRun(const std::vector<int32_t>& commands, int32_t vertexCount, Visit visit) {
    size_t word = 0;
    while (word < commands.size()) {
        const int64_t count = commands[word++];
        if (count == 0) {
            return;
        }
        const size_t length = static_cast<size_t>(count < 0 ? -count : count);
        if (length > (commands.size() - word) / 3) {
            return;
        }
        const SinRun run = { count < 0, length, commands.data() + word };
        word += 3 * length;
        bool inside = true;
        for (size_t i = 0; i < length && inside; i++) {
            inside = run.Index(i) >= 0 && run.Index(i) < vertexCount;
        }
        if (inside) {
            visit(run);
        }
    }
}

// Frames may share their vertex data or overlap it: each vertex of the
// file is checked once, however many frames reach it. Frames whose starts
// differ by a multiple of 4 see the same vertices, so each of the four
// alignments is swept in order of start.
bool FrameNormalsAreSound(const uint8_t* bytes, std::vector<int64_t> starts, int64_t frameSize) {
    std::sort(starts.begin(), starts.end());
    int64_t checkedEnd[4] = { 0, 0, 0, 0 };
    for (const int64_t start : starts) {
        int64_t& checked = checkedEnd[start % 4];
        for (int64_t at = std::max(start, checked); at < start + frameSize; at += 4) {
            if (bytes[at + 3] >= MD2_NORMAL_COUNT) {
                return false;
            }
        }
        checked = std::max(checked, start + frameSize);
    }
    return true;
}

// Takes an animation file apart; null when its counts and offsets do not
// fit the file or a normal index is outside the table.
std::shared_ptr<const CSinFrames> ParseAnimation(std::vector<uint8_t>&& data) {
    const size_t size = data.size();
    if (size < ANIMATION_HEADER_SIZE) {
        return nullptr;
    }
    const uint8_t* bytes = data.data();
    auto parsed = std::make_shared<CSinFrames>();
    for (int axis = 0; axis < 3; axis++) {
        parsed->triples[0][axis] = FloatAt(bytes + 96 + 4 * axis);
        parsed->triples[1][axis] = FloatAt(bytes + 72 + 4 * axis);
        parsed->triples[2][axis] = FloatAt(bytes + 84 + 4 * axis);
    }
    const int32_t vertexCount = Int32At(bytes + 112);
    const int32_t frameCount = Int32At(bytes + 116);
    const int32_t tableOffset = Int32At(bytes + 120);
    const int64_t frameSize = 4 * int64_t(vertexCount);
    if (vertexCount < 0 || frameCount < 0 || frameSize > int64_t(size) ||
        !Fits(tableOffset, int64_t(frameCount) * int64_t(FRAME_RECORD_SIZE), size)) {
        return nullptr;
    }
    std::vector<CSinFrame> frames(static_cast<size_t>(frameCount));
    std::vector<int64_t> starts(static_cast<size_t>(frameCount));
    for (int32_t i = 0; i < frameCount; i++) {
        const uint8_t* record = bytes + tableOffset + FRAME_RECORD_SIZE * static_cast<size_t>(i);
        CSinFrame& frame = frames[static_cast<size_t>(i)];
        for (int axis = 0; axis < 3; axis++) {
            frame.scale[axis] = FloatAt(record + 16 + 4 * axis);
            frame.translate[axis] = FloatAt(record + 28 + 4 * axis);
        }
        // Counted from where the record lies when the table starts right
        // after the header, wherever the table really is.
        const int64_t start = int64_t(ANIMATION_HEADER_SIZE) + int64_t(FRAME_RECORD_SIZE) * i + Int32At(record + 40);
        if (!Fits(start, frameSize, size)) {
            return nullptr;
        }
        frame.vertices = static_cast<size_t>(start);
        starts[static_cast<size_t>(i)] = start;
    }
    if (!FrameNormalsAreSound(bytes, std::move(starts), frameSize)) {
        return nullptr;
    }
    parsed->frameSize = static_cast<int32_t>(frameSize);
    parsed->frames = std::move(frames);
    parsed->data = std::move(data);
    return parsed;
}

// Corners of the runs of a list, every run counted.
int64_t CornerCount(const std::vector<int32_t>& commands) {
    int64_t corners = 0;
    ForEachRun(commands, std::numeric_limits<int32_t>::max(),
               [&](const SinRun& run) { corners += static_cast<int64_t>(run.length); });
    return corners;
}

void BuildMesh(CMeshArrays& mesh, const std::vector<int32_t>& commands, int32_t vertexCount) {
    std::vector<uint32_t> runCorners;
    ForEachRun(commands, vertexCount, [&](const SinRun& run) {
        runCorners.clear();
        for (size_t i = 0; i < run.length; i++) {
            runCorners.push_back(mesh.AddCorner(run.Index(i), run.S(i), -run.T(i)));
        }
        mesh.AddRun(run.fan, runCorners.data(), runCorners.size());
    });
    mesh.Finish();
}

// The definition's lines taken apart, and the files they name read.
class CDefinitionReader {
public:
    CDefinitionReader(CSinData& into, CPakFile* fromArchive, CAssetSource& source)
        : sin(into), archive(fromArchive), assets(source) {}

    void HandleLine(const std::string& text);
    bool FindMesh() const;
    bool HasAnimations() const { return !named.empty(); }
    bool ReadMesh(LoadMessages& messages);
    void ReadAnimations();

private:
    void BuildMeshes();

    struct NamedAnimation {
        std::string name;
        AssetId     file;
    };

    // An empty folder means the file alone, not one at the root.
    std::string InFolder(const std::string& file) const {
        if (sin.folder.empty()) {
            return file;
        }
        const char last = sin.folder.back();
        return last == '/' || last == '\\' ? sin.folder + file : sin.folder + "/" + file;
    }
    AssetId Resolve(const std::string& path) const {
        return archive != nullptr ? assets.ResolveEntry(*archive, path) : assets.ResolveFile(path);
    }
    bool Read(const AssetId& id, std::vector<uint8_t>& data) const {
        return assets.Read(id, MAX_FILE_SIZE, data) == AssetRead::read;
    }

    CSinData&     sin;
    CPakFile*     archive;
    CAssetSource& assets;
    AssetId       mesh;
    std::vector<NamedAnimation> named;
    size_t        animationLines = 0;
};

void CDefinitionReader::HandleLine(const std::string& text) {
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        const std::string extension = text.substr(dot);
        const bool meshLine = StartsWithNoCase(extension, ".sbm");
        const bool skin = StartsWithNoCase(extension, ".tga");
        const bool animation = StartsWithNoCase(extension, ".sam");
        if (meshLine || skin || animation) {
            const std::string line = text.substr(0, dot + 4);
            if (meshLine) {
                sin.meshPath = InFolder(line);
                // Only an archive's own entry counts for a model in an archive.
                mesh = archive != nullptr ? assets.ResolveEntry(*archive, sin.meshPath) : AssetId();
                return;
            }
            // "name file.sam" names the animation; a lone "file.sam" is named by its file.
            std::string entryName = line.substr(0, std::min(line.find('.'), MAX_FILE_NAME_LENGTH));
            std::string file = line;
            size_t space = dot;
            while (space > 0 && !IsSpace(line[space - 1])) {
                space--;
            }
            if (space > 0) {
                size_t wordEnd = 0;
                while (wordEnd < line.size() && !IsSpace(line[wordEnd])) {
                    wordEnd++;
                }
                entryName = line.substr(0, wordEnd);
                file = line.substr(space);
            }
            if (skin) {
                if (sin.skins.size() < MAX_SKIN_LINES) {
                    sin.skinFiles.push_back(InFolder(file));
                    sin.skins.push_back({ entryName, InFolder(file) });
                }
            } else if (animationLines++ < MAX_ANIMATION_LINES) {
                if (const AssetId found = Resolve(InFolder(file)); found.IsValid()) {
                    named.push_back({ entryName, found });
                }
            }
            return;
        }
    }
    if (StartsWithNoCase(text, "scale")) {
        // Kept within float range: the number is the file's, any size.
        const double largest = std::numeric_limits<float>::max();
        sin.scale = static_cast<float>(std::clamp(std::strtod(text.c_str() + 5, nullptr) * 0.05f, -largest, largest));
        sin.hasScale = true;
    } else if (StartsWithNoCase(text, "path")) {
        size_t begin = 4;
        while (begin < text.size() && IsSpace(text[begin])) {
            begin++;
        }
        size_t end = begin;
        while (end < text.size() && !IsSpace(text[end])) {
            end++;
        }
        sin.folder = text.substr(begin, end - begin);
    }
}

bool CDefinitionReader::FindMesh() const {
    return mesh.IsValid() || (archive == nullptr && !sin.meshPath.empty() && assets.ResolveFile(sin.meshPath).IsValid());
}

bool CDefinitionReader::ReadMesh(LoadMessages& messages) {
    std::vector<uint8_t> data;
    Read(mesh.IsValid() ? mesh : assets.ResolveFile(sin.meshPath), data);
    const size_t size = data.size();
    const uint8_t* bytes = data.data();
    if (size < MESH_HEADER_SIZE || std::memcmp(bytes, "SBM ", 4) != 0 || Int32At(bytes + 4) != 1) {
        AddMessage(messages, MSG_NOT_A_VALID_MESH);
        return false;
    }
    const int32_t groupCount = Int32At(bytes + 16);
    if (!Fits(MESH_HEADER_SIZE, int64_t(groupCount) * int64_t(GROUP_HEADER_SIZE), size)) {
        AddMessage(messages, MSG_NOT_A_VALID_MESH);
        return false;
    }
    std::vector<CSinGroup> groups(static_cast<size_t>(groupCount));
    for (int32_t g = 0; g < groupCount; g++) {
        const int64_t at = int64_t(MESH_HEADER_SIZE) + int64_t(GROUP_HEADER_SIZE) * g;
        const uint8_t* header = bytes + at;
        const int32_t commandCount = Int32At(header + 8);
        const int64_t start = at + Int32At(header + 12);
        if (commandCount < 0 || !Fits(start, int64_t(commandCount) * 4, size)) {
            AddMessage(messages, MSG_NOT_A_VALID_MESH);
            return false;
        }
        CSinGroup& group = groups[static_cast<size_t>(g)];
        group.value = Int32At(header);
        group.commands.resize(static_cast<size_t>(commandCount));
        for (int32_t i = 0; i < commandCount; i++) {
            group.commands[static_cast<size_t>(i)] = Int32At(bytes + start + 4 * int64_t(i));
        }
    }
    sin.groups = std::move(groups);
    return true;
}

// An animation file that cannot be read whole is dropped, as a missing one
// is. Each file is read once however many names it is given; the files
// together keep to a budget, which only files overlapping in an archive
// could pass with the bytes really there.
void CDefinitionReader::ReadAnimations() {
    std::unordered_map<AssetId, std::shared_ptr<const CSinFrames>, AssetIdHash> read;
    uint64_t bytesHeld = 0;
    for (const NamedAnimation& file : named) {
        auto found = read.find(file.file);
        if (found == read.end()) {
            std::shared_ptr<const CSinFrames> frames;
            std::vector<uint8_t> data;
            if (Read(file.file, data) && data.size() <= MAX_ANIMATION_BYTES - bytesHeld) {
                bytesHeld += data.size();
                frames = ParseAnimation(std::move(data));
            }
            found = read.emplace(file.file, std::move(frames)).first;
        }
        if (found->second != nullptr) {
            auto animation = std::make_unique<CSinAnimation>(file.name, found->second);
            animation->file = file.file.path;
            sin.animations.push_back(std::move(animation));
        }
    }
    BuildMeshes();
}

// Each vertex count the animations have gets its triangles once, in every
// group. A count whose triangles would pass the budget (reckoned as every
// run of every group, and one corner more for each group) is not made, and
// its animations are left out.
void CDefinitionReader::BuildMeshes() {
    int64_t cornersPerCount = 0;
    for (const CSinGroup& group : sin.groups) {
        cornersPerCount += 1 + CornerCount(group.commands);
    }
    std::vector<int32_t> counts;
    std::vector<std::unique_ptr<CSinAnimation>> kept;
    for (std::unique_ptr<CSinAnimation>& animation : sin.animations) {
        const int32_t vertexCount = animation->VertexCount();
        if (std::find(counts.begin(), counts.end(), vertexCount) == counts.end()) {
            if (int64_t(counts.size() + 1) * cornersPerCount > MAX_MESH_CORNERS) {
                continue;
            }
            counts.push_back(vertexCount);
            for (CSinGroup& group : sin.groups) {
                group.meshes.emplace_back(vertexCount, CMeshArrays());
                BuildMesh(group.meshes.back().second, group.commands, vertexCount);
            }
        }
        kept.push_back(std::move(animation));
    }
    sin.animations = std::move(kept);
}

}  // namespace

CVector CSinAnimation::Position(int32_t frame, int32_t index) const {
    const CSinFrame& frameData = frames->frames[static_cast<size_t>(frame)];
    const uint8_t* vertex = Vertex(frame, index);
    float file[3];
    for (int axis = 0; axis < 3; axis++) {
        file[axis] = vertex[axis] * frameData.scale[axis] + frameData.translate[axis];
    }
    return CVector(file[1], -file[2], -file[0]);
}

const CMeshArrays* CSinGroup::MeshFor(int32_t vertexCount) const {
    for (const auto& [count, mesh] : meshes) {
        if (count == vertexCount) {
            return &mesh;
        }
    }
    return nullptr;
}

int32_t CSinData::TriangleCount(int32_t vertexCount) const {
    int32_t triangles = 0;
    for (const CSinGroup& group : groups) {
        ForEachRun(group.commands, vertexCount, [&](const SinRun& run) {
            if (run.length > 2) {
                triangles += static_cast<int32_t>(run.length - 2);
            }
        });
    }
    return triangles;
}

ParsedModel ParseSin(const std::vector<uint8_t>& definition, const std::string& folder, CPakFile* archive,
                     CAssetSource& assets) {
    ParsedModel result;
    auto parsed = std::make_shared<CSinData>();
    result.data = parsed;
    CSinData& sin = *parsed;
    sin.folder = folder;
    if (definition.size() < 4 || std::memcmp(definition.data(), "SDEF", 4) != 0) {
        AddMessage(result.messages, MSG_NOT_A_VALID_DEF);
        return result;
    }
    sin.definition = true;
    CDefinitionReader reader(sin, archive, assets);
    const std::string text(reinterpret_cast<const char*>(definition.data()), definition.size());
    bool inComment = false;
    size_t start = 0;
    // Text after the last CR LF is not a line.
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        const std::string line = text.substr(start, std::min(end - start, LINE_BUFFER_SIZE - 1));
        start = end + 2;
        reader.HandleLine(StripComments(line, inComment));
    }
    if (!reader.FindMesh()) {
        AddMessage(result.messages, MSG_NO_MESH);
        return result;
    }
    if (!reader.HasAnimations()) {
        AddMessage(result.messages, MSG_NO_ANIMATIONS);
        return result;
    }
    if (!reader.ReadMesh(result.messages)) {
        return result;
    }
    reader.ReadAnimations();
    sin.usable = true;
    return result;
}
