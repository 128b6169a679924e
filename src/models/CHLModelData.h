#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <memory>
#include <unordered_map>
#include <vector>

#include "math/CVector.h"
#include "models/CModelAnimation.h"
#include "models/CModelCache.h"
#include "platform/CAssetSource.h"

class CAssetSource;
class CGLState;
class CModelResources;
class COGLImage;
class COGLTexture2D;
class CPakFile;
struct HLWorkAreas;

// Limits of the work areas that pose and draw Half-Life models; a file that
// needs more is refused when it is read.
constexpr int32_t HL_MAX_BONES = 128;
constexpr int32_t HL_MAX_VERTICES = 2048;          // also normals, per sub-model
constexpr int32_t HL_MAX_SEQUENCE_GROUPS = 32;
constexpr int32_t HL_MAX_BLENDS = 4;
constexpr int32_t HL_MAX_CONTROLLERS = 8;
// Far above real models, whose few dozen textures and some thousands of
// triangles these leave room for many times over.
constexpr int32_t HL_MAX_TEXTURES = 1024;
constexpr int32_t HL_MAX_SEQUENCES = 4096;
constexpr int32_t HL_MAX_BODY_PARTS = 1024;
// Records listed of events (all sequences together), hit boxes and
// attachments each; a file that claims more lists none of that kind.
constexpr int32_t HL_MAX_LISTED = 1 << 16;
// Corners of strips and fans, of all the distinct lists together.
constexpr int64_t HL_MAX_CORNERS = int64_t(1) << 20;
// What one pose draws: each vertex, normal, mesh and corner counted once for
// every body part and mesh that draws it. Far above real models, and no
// lower: triangles as large as the view take the software renderer some
// 150 microseconds of processor time each at 640 x 480.
constexpr int64_t HL_MAX_POSE_WORK = int64_t(1) << 16;

// Record sizes and header fields of Half-Life model files (version 10).
namespace hl {
constexpr size_t HEADER_SIZE = 244;
constexpr size_t GROUP_HEADER_SIZE = 76;        // a sequence-group file ("IDSQ")
constexpr size_t BONE_SIZE = 112;
constexpr size_t CONTROLLER_SIZE = 24;
constexpr size_t SEQUENCE_SIZE = 176;
constexpr size_t GROUP_SIZE = 104;
constexpr size_t TEXTURE_SIZE = 80;
constexpr size_t BODY_PART_SIZE = 76;
constexpr size_t SUB_MODEL_SIZE = 112;
constexpr size_t MESH_SIZE = 20;
constexpr size_t EVENT_SIZE = 76;
constexpr size_t HIT_BOX_SIZE = 32;
constexpr size_t ATTACHMENT_SIZE = 88;
constexpr size_t NAME_SIZE = 32;                // bones, sequences, groups
constexpr size_t LONG_NAME_SIZE = 64;           // textures, body parts, sub-models

enum HeaderField {
    H_BONE_COUNT = 140, H_BONES = 144, H_CONTROLLER_COUNT = 148, H_CONTROLLERS = 152, H_SEQUENCE_COUNT = 164,
    H_SEQUENCES = 168, H_GROUP_COUNT = 172, H_GROUPS = 176, H_TEXTURE_COUNT = 180, H_TEXTURES = 184,
    H_SKIN_REF_COUNT = 192, H_SKIN_FAMILY_COUNT = 196, H_SKINS = 200, H_BODY_PART_COUNT = 204, H_BODY_PARTS = 208,
    H_HIT_BOX_COUNT = 156, H_HIT_BOXES = 160, H_ATTACHMENT_COUNT = 212, H_ATTACHMENTS = 216,
};
enum SequenceField {
    S_FPS = 32, S_FLAGS = 36, S_EVENT_COUNT = 48, S_EVENTS = 52, S_FRAME_COUNT = 56, S_MOTION_TYPE = 68,
    S_MOTION_BONE = 72, S_BOX_MIN = 96, S_BOX_MAX = 108,
    S_BLEND_COUNT = 120, S_ANIMATION = 124, S_BLEND_TYPE = 128, S_BLEND_START = 136, S_BLEND_END = 144,
    S_GROUP = 156,
};
enum ControllerField { C_TYPE = 4, C_START = 8, C_END = 12, C_INDEX = 20 };
enum TextureField { T_FLAGS = 64, T_WIDTH = 68, T_HEIGHT = 72, T_DATA = 76 };

// Texture flags.
constexpr int32_t HL_TEXTURE_FLAT = 1;
constexpr int32_t HL_TEXTURE_CHROME = 2;
constexpr int32_t HL_TEXTURE_ADDITIVE = 0x20;
constexpr int32_t HL_TEXTURE_MASKED = 0x40;     // palette index 255 is see-through

constexpr int32_t CONTROLLER_ROTATIONS = 8 | 16 | 32;
constexpr int32_t CONTROLLER_WRAPS = 0x8000;
constexpr int32_t MOUTH_SLOT = 4;
}  // namespace hl

// One mesh's strips and fans as a triangle list over its corners (a vertex,
// a normal and a texture point of the file each), made when the file is read.
struct HLMeshTriangles {
    std::vector<int16_t>  vertex;
    std::vector<int16_t>  normal;
    std::vector<int16_t>  s;
    std::vector<int16_t>  t;
    std::vector<uint32_t> indices;
};

// What the file tells besides what poses and draws it, listed as read.
struct HLEvent {
    int32_t     frame;
    int32_t     event;
    std::string options;
};
struct HLHitBox {
    int32_t bone;
    int32_t group;
    CVector min, max;   // the file's axes
};
struct HLAttachment {
    std::string name;
    int32_t     bone;
    CVector     origin;   // the file's axes
};

// A Half-Life model file with its texture file and sequence-group files, as
// read: the file buffers, checked whole so that what poses and draws the
// model may follow the file's counts and offsets without checking them, the
// triangles of every mesh and the textures decoded. Shared by every object
// showing the file; nothing changes it once it is read.
class CHLModelData : public CModelData {
public:
    // The records of the files, by number; callers keep the numbers below
    // the counts.
    const uint8_t* Header() const { return header.data(); }
    // The file that holds the textures and the skin table: the companion
    // texture file when there is one, else the model file.
    const std::vector<uint8_t>& TextureBuffer() const { return hasTextureFile ? textureFile : header; }
    const uint8_t* Sequence(int32_t number) const;
    const uint8_t* Texture(int32_t number) const;
    const uint8_t* BodyPart(int32_t number) const;
    int32_t HeaderValue(size_t field) const;
    int32_t TextureHeaderValue(size_t field) const;
    // The first channel block of a sequence, and the end of the file it is in.
    const uint8_t* AnimationData(const uint8_t* sequenceRecord, const uint8_t*& end) const;
    // Offset in the header of the sub-model a body part shows for a body number.
    int32_t SubModelOf(int32_t bodyPart, int32_t bodyNumber) const;
    // The texture number a mesh draws with in a skin family, through the skin table.
    int32_t MeshTexture(const uint8_t* mesh, int32_t skinNumber) const;
    // The triangles of the mesh whose commands lie at that offset of the header.
    const HLMeshTriangles& Triangles(int32_t commandOffset) const { return meshTriangles.at(commandOffset); }

    std::vector<uint8_t> header;
    bool hasTextureFile = false;
    std::vector<uint8_t> textureFile;   // the companion "…T.mdl"
    // Entries 1 to the group count - 1 hold the sequence-group files.
    std::vector<uint8_t> groupHeaders[HL_MAX_SEQUENCE_GROUPS];
    // The file holding the textures, which they are shared under.
    AssetId textureHolder;
    // Resampled to powers of two, in texture order.
    std::vector<std::shared_ptr<const COGLImage>> textures;
    // By the offset of the mesh's commands in header.
    std::unordered_map<int32_t, HLMeshTriangles> meshTriangles;
    // One record per sequence: first is its number, count 0.
    std::vector<CModelAnimation> sequences;
    // By sequence.
    std::vector<std::vector<HLEvent>> events;
    std::vector<HLHitBox> hitBoxes;
    std::vector<HLAttachment> attachments;
};

// What an object showing a Half-Life model sets for itself: the sequence and
// frame, the controllers, mouth and blends, the body and skin family.
struct CHLPose {
    // Each setter returns the value the setting stands for.
    void  SelectSequence(int32_t number);
    float SetControllerValue(const CHLModelData& data, int32_t slot, float value);
    float SetMouthValue(const CHLModelData& data, float value);
    float SetBlendValue(const CHLModelData& data, int32_t slot, float value);
    // The sequence record drawn (sequence 0 when the sequence is not in the file).
    const uint8_t* CurrentSequence(const CHLModelData& data) const;

    float   origin[3] = {};
    float   angles[3] = {};
    int32_t sequence = 0;
    float   frame = 0.0f;
    int32_t bodyNumber = 0;
    int32_t skinNumber = 0;
    uint8_t controller[4] = {};
    uint8_t blending[2] = {};
    uint8_t mouth = 0;
};

// What a draw of a Half-Life model gets besides its data and pose.
struct HLDrawInputs {
    const std::vector<COGLTexture2D*>* skins;   // by texture number; null draws untextured
    const CModelResources*             scene;   // its lights; may be null
    CVector                            position;
    CGLState*                          gl;
    uint32_t                           bits;    // the model's state, which textures add to
};

// Poses the skeleton for the pose's fractional frame into the work areas.
void SetUpHLBones(const CHLModelData& data, CHLPose& pose, HLWorkAreas& work);
// Poses, lights and draws every body part's chosen sub-model in file
// coordinates sent as (y, z, x); without skins it sends vertices only.
void DrawHLModel(const CHLModelData& data, CHLPose& pose, HLWorkAreas& work, const HLDrawInputs& inputs);

// The model's name with its last four characters (".mdl") replaced.
std::string HLCompanionName(const std::string& name, const char* ending);
// The names of the companion files a model needs: the texture file when it
// has no textures of its own, then the sequence groups "…01.mdl" on.
std::vector<std::string> HLCompanionNames(const CHLModelData& data, const std::string& name);
// Why a whole model file (with its texture file and sequence-group files as
// read) cannot be posed and drawn safely; empty when it can.
std::string CheckHLModel(const std::vector<uint8_t>& model, const std::vector<uint8_t>& textures,
                         const std::vector<uint8_t>* groups);
// The events, hit boxes and attachments of a file whose model the reader has
// checked; tables that leave the file, or hold more than HL_MAX_LISTED
// records, are left empty.
void ReadHLLists(CHLModelData& data);
// Reads a model file and the files it needs beside it, from archive when it
// came from one, else from disk; the messages say which could not be opened
// or is not sound.
ParsedModel ParseHLModel(std::vector<uint8_t>&& model, const std::string& name, CPakFile* archive,
                         CAssetSource& assets);
