#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "math/CVector.h"
#include "models/CMeshArrays.h"
#include "models/CModelAnimation.h"
#include "models/CModelCache.h"

class CAssetSource;
class CPakFile;

// Where one frame's compressed vertices lie in its animation's data.
struct CSinFrame {
    float  scale[3];
    float  translate[3];
    size_t vertices;
};

// One ".sam" file taken apart: a run of frames of compressed vertices (x, y,
// z bytes and a normal index each). The file's bytes are kept whole and the
// frames point into them, so frames that share their vertex data cost
// nothing more; animations naming the same file share one.
struct CSinFrames {
    float                  triples[3][3] = {};   // from the file header
    int32_t                frameSize = 0;        // bytes of vertices per frame
    std::vector<CSinFrame> frames;
    std::vector<uint8_t>   data;
};

// One named animation: the frames of its ".sam" file.
class CSinAnimation : public CModelAnimation {
public:
    static constexpr size_t MAX_NAME_LENGTH = 64;

    CSinAnimation(const std::string& animationName, std::shared_ptr<const CSinFrames> fileFrames)
        : CModelAnimation(animationName.substr(0, MAX_NAME_LENGTH), 0, static_cast<int32_t>(fileFrames->frames.size())),
          frames(std::move(fileFrames)) {}

    int32_t VertexCount() const { return frames->frameSize / 4; }
    const uint8_t* Vertex(int32_t frame, int32_t index) const {
        return frames->data.data() + frames->frames[static_cast<size_t>(frame)].vertices + 4 * static_cast<size_t>(index);
    }
    // A frame's vertex in the mesh's axes: the file's y, -z, -x.
    CVector Position(int32_t frame, int32_t index) const;

    std::string file;   // the path or entry name it was read under
    std::shared_ptr<const CSinFrames> frames;
};

// One part of a SiN mesh: a list of triangle strips and fans, each vertex a
// texture point and an index into the animation frames' vertices, with its
// triangles made for each vertex count the model's animations have (runs
// naming vertices an animation lacks are left out).
class CSinGroup {
public:
    const CMeshArrays* MeshFor(int32_t vertexCount) const;

    int32_t              value = 0;          // from the group header
    std::vector<int32_t> commands;
    std::vector<std::pair<int32_t, CMeshArrays>> meshes;
};

// A SiN model as read: its text definition ("SDEF") and the mesh (".sbm")
// and animation files (".sam") it names, each animation file one named
// animation. Skins (".tga") are only named; the object showing the model
// takes them from the scene. Shared by every object showing the definition.
class CSinData : public CModelData {
public:
    struct Skin {
        std::string title;   // the name the definition gives it
        std::string path;    // in the definition's folder
    };

    // Triangles drawn with the animation's vertex count.
    int32_t TriangleCount(int32_t vertexCount) const;

    // False when the file is no definition at all: nothing else is read.
    bool                     definition = false;
    // The mesh and at least one animation were read: the model can show.
    bool                     usable = false;
    bool                     hasScale = false;
    float                    scale = 1.0f;
    // The folder the definition named last ("path"), or the one it lies in.
    std::string              folder;
    std::string              meshPath;
    std::vector<Skin>        skins;
    std::vector<std::string> skinFiles;
    std::vector<CSinGroup>   groups;
    std::vector<std::unique_ptr<CSinAnimation>> animations;
};

// Reads a definition held in memory, and the mesh and animation files it
// names from archive (when the definition came from one) or from disk,
// relative to folder. The messages tell why it is not usable: a file that
// is no definition ("Not a valid SIN def file."), a mesh that cannot be
// found or is not sound, no animation. Animation files that are missing or
// unsound are left out.
ParsedModel ParseSin(const std::vector<uint8_t>& definition, const std::string& folder, CPakFile* archive,
                     CAssetSource& assets);
