#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CMeshArrays.h"
#include "models/COGLModel.h"

// One part of a SiN mesh: a list of triangle strips and fans, each vertex
// a texture point and an index into the animation frames' vertices.
class CSinGroup {
public:
    virtual ~CSinGroup() = default;

    int32_t              value = 0;          // from the group header, kept for copies
    int32_t              commandCount = 0;   // words of commands
    std::vector<int32_t> commands;
    CVector              groupMin;           // bounds of the group as last drawn
    CVector              groupMax;
    // The runs as triangles for animations of meshVertexCount vertices:
    // runs naming vertices an animation lacks are left out.
    CMeshArrays          mesh;
    int32_t              meshVertexCount = -1;
};

// Where one frame's compressed vertices lie in its animation's data.
struct CSinFrame {
    float  scale[3];
    float  translate[3];
    size_t vertices;
};

// One ".sam" file: a run of frames of compressed vertices (x, y, z bytes and
// a normal index each). The file's bytes are kept whole and the frames point
// into them, so frames that share their vertex data cost nothing more.
class CSinAnimation : public CModelAnimation {
public:
    static constexpr size_t MAX_NAME_LENGTH = 64;

    explicit CSinAnimation(const std::string& animationName)
        : CModelAnimation(animationName.substr(0, MAX_NAME_LENGTH), 0, 0) {}

    int32_t VertexCount() const { return frameSize / 4; }
    const uint8_t* Vertex(int32_t frame, int32_t index) const {
        return data.data() + frames[static_cast<size_t>(frame)].vertices + 4 * static_cast<size_t>(index);
    }

    float                  triples[3][3] = {};   // from the file header, kept for copies
    int32_t                frameSize = 0;        // bytes of vertices per frame
    std::vector<CSinFrame> frames;
    std::vector<uint8_t>   data;
    const CPakEntry*       entry = nullptr;      // the file in the model's archive, or null
    std::string            animPath;             // the file on disk, or empty
};

// A SiN model: a text definition file ("SDEF") naming a mesh file (".sbm"),
// animation files (".sam"), skins (".tga"), the folder they lie in and a
// scale. Each animation file is one named animation; drawing blends the
// current and the next frame. Scene type code 14.
class COGLSBM : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 14;

    COGLSBM();
    ~COGLSBM() override = default;

    const char* ClassName() const override { return "COGLSBM"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(CModelAnimation* animation) override;
    CModelAnimation* GetAnimation() const override { return currentAnimation; }
    int  GetFrameCount() const override { return currentAnimation != nullptr ? currentAnimation->count : 0; }
    void StartAnimation() override;

    // The record's scale replaces the one the definition file set.
    void LoadModel(CFile& file, int version, CModelResources& owner) override;
    // A copy sharing the source's skins (one more reference each).
    void CopyModel(const COGLSBM& source);
    void LoadFromFile(const std::string& filePath) override;
    void LoadFromArchive(CPakFile& archive, const CPakEntry& entry) override;
    // Parses a definition held in memory and reads the files it names. False
    // after reporting when the definition or its mesh is not valid.
    bool ReadDefinition(const uint8_t* data, size_t size);

    const char* Kind() const override { return "SiN"; }
    int32_t VertexCount() const override;
    int32_t TriangleCount() const override;
    // Box of a frame of the current animation.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    std::vector<std::string> SkinNames() const override { return skinFiles; }

    CSinAnimation*    currentAnimation = nullptr;
    const CPakEntry*  modelEntry = nullptr;
    std::string       meshPath;
    std::vector<std::unique_ptr<CSinGroup>> groups;
    // The skin files the definition names, found or not.
    std::vector<std::string> skinFiles;

protected:
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, true }; }

private:
    bool ParseDefinition(const std::string& text);
    void HandleLine(const std::string& line);
    void AddSkin(const std::string& skinName, const std::string& file);
    void AddAnimation(const std::string& animationName, const std::string& file);
    bool ReadMesh();
    bool ReadAnimations();
    // The file's bytes from the model's archive or from disk; false when it
    // cannot be read or is too big to be one of ours.
    bool ReadWhole(const CPakEntry* entry, const std::string& diskPath, std::vector<uint8_t>& data) const;
    std::string InFolder(const std::string& file) const;
    void Clear();

    // While a scene record loads the model its own scale wins over the definition's.
    bool scaleFromRecord = false;
};
