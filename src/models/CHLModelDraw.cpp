#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "image/COGLTexture2D.h"
#include "math/FloatArrays.h"
#include "models/CHLModelData.h"
#include "models/CMeshArrays.h"
#include "models/CModelResources.h"
#include "models/COGLHLModel.h"
#include "models/HLWorkAreas.h"
#include "objects/COGLLight.h"
#include "platform/CGLState.h"
#include "platform/LittleEndian.h"

using namespace hl;

namespace {

struct SubModel {
    int32_t meshCount;
    const uint8_t* meshes;
    int32_t vertexCount;
    const uint8_t* vertexBones;
    const uint8_t* vertices;
    int32_t normalCount;
    const uint8_t* normalBones;
    const uint8_t* normals;
};

SubModel ReadSubModel(const uint8_t* file, const uint8_t* record) {
    return { Int32At(record + 72), file + Int32At(record + 76), Int32At(record + 80), file + Int32At(record + 84),
             file + Int32At(record + 88), Int32At(record + 92), file + Int32At(record + 96),
             file + Int32At(record + 100) };
}

void Vector3At(const uint8_t* at, float v[3]) {
    for (int i = 0; i < 3; i++) {
        v[i] = FloatAt(at + 4 * i);
    }
}

float Dot3(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void TransformVertices(const SubModel& model, HLWorkAreas& work) {
    for (int32_t i = 0; i < model.vertexCount; i++) {
        float v[3];
        Vector3At(model.vertices + 12 * size_t(i), v);
        TransformPoint3x4(v, work.boneTransform[model.vertexBones[i]], work.vertex[i]);
    }
}

// The light value of a normal of bone, in each colour channel.
void LightNormal(const HLWorkAreas& work, const float normal[3], int32_t bone, int32_t flags, float out[3]) {
    float illum = float(work.ambientLight);
    if ((flags & HL_TEXTURE_FLAT) != 0) {
        illum += work.shadeLight * 0.8f;
    } else {
        float c = std::fmin(Dot3(normal, work.boneLight[bone]), 1.0f);
        illum += work.shadeLight;
        const float r = work.lambert > 1.0f ? work.lambert : 1.0f;
        c = (c + r - 1.0f) / r;
        if (c > 0.0f) {
            illum -= work.shadeLight * c;
        }
        if (illum < 0.0f) {
            illum = 0.0f;
        }
    }
    const float value = std::fmin(illum, 255.0f) / 255.0f;
    for (int i = 0; i < 3; i++) {
        out[i] = value * work.lightColour[i];
    }
}

// 0 to 64 for a unit normal; a normal of the file that is not one (or not
// a number) is held to that range.
int32_t ChromeCoordinate(float dot) {
    const float texel = (dot + 1.0f) * 32.0f;
    return texel > 0.0f ? static_cast<int32_t>(std::fmin(texel, 64.0f)) : 0;
}

// Texture coordinates that follow the camera: the normal against the bone's
// view of the camera's up and right, worked out once per bone per draw.
void ChromeNormal(HLWorkAreas& work, const float normal[3], int32_t bone, const float origin[3], int32_t out[2]) {
    if (work.chromeAge[bone] != work.drawCount) {
        float d[3];
        for (int i = 0; i < 3; i++) {
            d[i] = work.boneTransform[bone][i][3] - origin[i];
        }
        Normalize3(d);
        float up[3];
        CrossProduct3(d, work.cameraRight, up);
        Normalize3(up);
        float side[3];
        CrossProduct3(d, up, side);
        Normalize3(side);
        InverseRotate3x4(up, work.boneTransform[bone], work.chromeUp[bone]);
        InverseRotate3x4(side, work.boneTransform[bone], work.chromeRight[bone]);
        work.chromeAge[bone] = work.drawCount;
    }
    out[0] = ChromeCoordinate(Dot3(normal, work.chromeRight[bone]));
    out[1] = ChromeCoordinate(Dot3(normal, work.chromeUp[bone]));
}

// Draws the mesh's triangles from its arrays: positions always, texture
// coordinates and colours when textured. The colour last given is left
// current, as drawing vertex by vertex left it.
void DrawTriangles(const HLMeshTriangles& mesh, HLWorkAreas& work, bool textured, bool chrome, float s, float t) {
    const size_t corners = mesh.vertex.size();
    work.positions.resize(3 * corners);
    work.texCoords.resize(2 * corners);
    work.colours.resize(4 * corners);
    for (size_t c = 0; c < corners; c++) {
        const float* v = work.vertex[mesh.vertex[c]];
        float* position = work.positions.data() + 3 * c;
        position[0] = v[1];
        position[1] = v[2];
        position[2] = v[0];
    }
    if (textured) {
        for (size_t c = 0; c < corners; c++) {
            const int32_t normal = mesh.normal[c];
            float* texCoord = work.texCoords.data() + 2 * c;
            if (chrome) {
                texCoord[0] = s * float(work.chrome[normal][0]);
                texCoord[1] = t * float(work.chrome[normal][1]);
            } else {
                texCoord[0] = s * mesh.s[c];
                texCoord[1] = t * mesh.t[c];
            }
            const float* light = work.light[normal];
            float* colour = work.colours.data() + 4 * c;
            colour[0] = light[0];
            colour[1] = light[1];
            colour[2] = light[2];
            colour[3] = 1.0f;
        }
    }
    if (mesh.indices.empty()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, work.positions.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, work.texCoords.data());
        glColorPointer(4, GL_FLOAT, 0, work.colours.data());
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_INT, mesh.indices.data());
    if (textured) {
        glColor4fv(work.colours.data() + 4 * size_t(mesh.indices.back()));
    }
}

// Masked texels (palette index 255) are cut out; additive textures add to
// what is behind them without hiding it.
uint32_t TextureKindBits(uint32_t bits, int32_t flags) {
    if ((flags & HL_TEXTURE_MASKED) != 0) {
        bits |= GLS_ALPHA_TEST | GLS_ALPHA_HALF;
    }
    if ((flags & HL_TEXTURE_ADDITIVE) != 0) {
        bits = (bits | GLS_BLEND | GLS_BLEND_ADD) & ~GLS_DEPTH_WRITE;
    }
    return bits;
}

}  // namespace

namespace {

void SetUpLighting(const CHLModelData& data, HLWorkAreas& work, const HLDrawInputs& inputs) {
    work.ambientLight = 32;
    work.shadeLight = 192.0f;
    work.lightColour[0] = work.lightColour[1] = work.lightColour[2] = 1.0f;
    const int32_t boneCount = data.HeaderValue(H_BONE_COUNT);
    for (int32_t b = 0; b < boneCount; b++) {
        work.boneLight[b][0] = work.boneLight[b][1] = work.boneLight[b][2] = 0.0f;
    }
    if (inputs.scene == nullptr) {
        return;
    }
    for (size_t i = 0; i < inputs.scene->LightCount(); i++) {
        const COGLLight& light = inputs.scene->Light(i);
        if (light.enabled == 0) {
            continue;
        }
        const CVector d = inputs.position - light.Marker().position;
        const float inModel[3] = { d.z, d.x, d.y };
        for (int32_t b = 0; b < boneCount; b++) {
            float rotated[3];
            InverseRotate3x4(inModel, work.boneTransform[b], rotated);
            for (int k = 0; k < 3; k++) {
                work.boneLight[b][k] += rotated[k];
            }
        }
    }
}

void DrawSubModel(const CHLModelData& data, const CHLPose& pose, HLWorkAreas& work, const HLDrawInputs& inputs,
                  const uint8_t* subModel) {
    const bool textured = inputs.skins != nullptr;
    const SubModel model = ReadSubModel(data.Header(), subModel);
    TransformVertices(model, work);
    if (textured) {
        // The meshes take the sub-model's normals in turn.
        int32_t normal = 0;
        for (int32_t m = 0; m < model.meshCount; m++) {
            const uint8_t* mesh = model.meshes + size_t(m) * MESH_SIZE;
            const int32_t flags = Int32At(data.Texture(data.MeshTexture(mesh, pose.skinNumber)) + T_FLAGS);
            for (int32_t i = Int32At(mesh + 12); i > 0; i--, normal++) {
                float n[3];
                Vector3At(model.normals + 12 * size_t(normal), n);
                const int32_t bone = model.normalBones[normal];
                LightNormal(work, n, bone, flags, work.light[normal]);
                if ((flags & HL_TEXTURE_CHROME) != 0) {
                    ChromeNormal(work, n, bone, pose.origin, work.chrome[normal]);
                }
            }
        }
    }
    for (int32_t m = 0; m < model.meshCount; m++) {
        const uint8_t* mesh = model.meshes + size_t(m) * MESH_SIZE;
        const HLMeshTriangles& triangles = data.Triangles(Int32At(mesh + 4));
        if (!textured) {
            DrawTriangles(triangles, work, false, false, 0.0f, 0.0f);
            continue;
        }
        const int32_t textureNumber = data.MeshTexture(mesh, pose.skinNumber);
        const uint8_t* texture = data.Texture(textureNumber);
        const int32_t flags = Int32At(texture + T_FLAGS);
        const std::vector<COGLTexture2D*>& skins = *inputs.skins;
        COGLTexture2D* skin = size_t(textureNumber) < skins.size() ? skins[size_t(textureNumber)] : nullptr;
        inputs.gl->BindTexture(skin != nullptr ? skin->UploadedName() : 0);
        inputs.gl->Apply(TextureKindBits(inputs.bits, flags));
        DrawTriangles(triangles, work, true, (flags & HL_TEXTURE_CHROME) != 0, 1.0f / float(Int32At(texture + T_WIDTH)),
                      1.0f / float(Int32At(texture + T_HEIGHT)));
    }
}

}  // namespace

void DrawHLModel(const CHLModelData& data, CHLPose& pose, HLWorkAreas& work, const HLDrawInputs& inputs) {
    work.drawCount++;
    SetUpHLBones(data, pose, work);
    if (inputs.skins != nullptr) {
        SetUpLighting(data, work, inputs);
    }
    // The meshes set the client arrays they draw from; restoring them once
    // per model instead of per mesh spares the driver a state rebuild each time.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (int32_t p = 0; p < data.HeaderValue(H_BODY_PART_COUNT); p++) {
        DrawSubModel(data, pose, work, inputs, data.Header() + data.SubModelOf(p, pose.bodyNumber));
    }
    glPopClientAttrib();
}
