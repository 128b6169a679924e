// tvntool export: the frame-animated models the tests make and the real
// models and sprites come out as glTF the Khronos validator accepts, with the
// exit code the load earns; each morph target puts every corner where the
// parsed frame has it, and each sprite frame is a quad shown in its turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "models/CMd2Data.h"
#include "models/CMdlData.h"
#include "models/CSinData.h"
#include "models/CSpriteData.h"
#include "models/Md2Bytes.h"
#include "models/SpriteBytes.h"
#include "support/ExpectVector.h"
#include "support/GameFiles.h"
#include "support/GltfExport.h"
#include "support/ParsedFiles.h"
#include "support/RealFiles.h"
#include "support/SinFiles.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"
#include "tools/TinyGltf.h"
#include "tools/ToolCommands.h"

namespace {

using Frames = std::vector<std::vector<CVector>>;

// Every corner of every part in every frame, as the parsed file has them.
template <typename Position>
Frames CornersOf(const std::vector<const CMeshArrays*>& parts, int32_t frameCount, Position position) {
    Frames frames(static_cast<size_t>(frameCount));
    for (int32_t k = 0; k < frameCount; k++) {
        for (const CMeshArrays* part : parts) {
            for (size_t corner = 0; corner < part->CornerCount(); corner++) {
                frames[static_cast<size_t>(k)].push_back(position(k, part->CornerVertex(corner)));
            }
        }
    }
    return frames;
}

Frames ParsedFrames(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes = FileBytes(path);
    const std::string extension = path.extension().string();
    if (extension == ".md2") {
        const auto data = DataOf<CMd2Data>(ParseMd2(std::move(bytes), false));
        return CornersOf({ &data->mesh }, data->frameCount,
                         [&](int32_t k, int32_t v) { return CMd2Frame(data->Frame(k)).Position(v); });
    }
    if (extension == ".mdl") {
        const auto data = DataOf<CMdlData>(ParseMdl(bytes));
        std::vector<const uint8_t*> fileFrames;
        for (const auto& animation : data->animations) {
            for (int32_t f = 0; f < animation->count; f++) {
                fileFrames.push_back(animation->Frame(f));
            }
        }
        return CornersOf({ &data->mesh }, static_cast<int32_t>(fileFrames.size()), [&](int32_t k, int32_t v) {
            return data->Position(fileFrames[static_cast<size_t>(k)] + 4 * static_cast<size_t>(v));
        });
    }
    // A SiN definition whose animations share one vertex count, frames in order.
    const auto data = DataOf<CSinData>(ParseSin(bytes, path.parent_path().string() + "/", nullptr, *TestAssets()));
    std::vector<const CMeshArrays*> parts;
    for (const CSinGroup& group : data->groups) {
        parts.push_back(group.MeshFor(data->animations.front()->VertexCount()));
    }
    std::vector<std::pair<const CSinAnimation*, int32_t>> fileFrames;
    for (const auto& animation : data->animations) {
        for (int32_t f = 0; f < animation->count; f++) {
            fileFrames.emplace_back(animation.get(), f);
        }
    }
    return CornersOf(parts, static_cast<int32_t>(fileFrames.size()), [&](int32_t k, int32_t v) {
        return fileFrames[static_cast<size_t>(k)].first->Position(fileFrames[static_cast<size_t>(k)].second, v);
    });
}

// Base plus morph target k of every primitive, corners in order.
Frames ExportedFrames(const tinygltf::Model& gltf) {
    Frames frames;
    for (const tinygltf::Primitive& primitive : gltf.meshes.at(0).primitives) {
        const float* base = FloatsOf(gltf, primitive.attributes.at("POSITION"));
        const size_t corners = gltf.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))].count;
        frames.resize(primitive.targets.size());
        for (size_t k = 0; k < primitive.targets.size(); k++) {
            const float* delta = FloatsOf(gltf, primitive.targets[k].at("POSITION"));
            for (size_t c = 0; c < corners; c++) {
                frames[k].emplace_back(base[3 * c] + delta[3 * c], base[3 * c + 1] + delta[3 * c + 1],
                                       base[3 * c + 2] + delta[3 * c + 2]);
            }
        }
    }
    return frames;
}

bool IsSprite(const std::filesystem::path& model) {
    return model.extension() == ".sp2" || model.extension() == ".spr";
}

// A node per parsed frame, each a quad about the origin whose longer
// half-side is 1, as the viewer sizes it, wearing a picture and blended as
// an indexed sprite's format says; the animation shows frame k from k frame
// times (0.48 s at the viewer's default speed) to the next.
void CheckSpriteExport(const std::filesystem::path& sprite, const tinygltf::Model& gltf) {
    const auto data = DataOf<CSpriteData>(ParseSprite(FileBytes(sprite)));
    const std::vector<int>& frames = gltf.nodes.at(static_cast<size_t>(gltf.scenes.at(0).nodes.at(0))).children;
    ASSERT_EQ(frames.size(), data->frames.size());
    ASSERT_EQ(gltf.animations.size(), frames.size() > 1 ? 1u : 0u);
    const char* const alphaModes[] = { "OPAQUE", "BLEND", "BLEND", "MASK" };
    for (size_t k = 0; k < frames.size(); k++) {
        const tinygltf::Node& node = gltf.nodes.at(static_cast<size_t>(frames[k]));
        const tinygltf::Primitive& quad = gltf.meshes.at(static_cast<size_t>(node.mesh)).primitives.at(0);
        const float* p = FloatsOf(gltf, quad.attributes.at("POSITION"));
        EXPECT_FLOAT_EQ(std::max(p[0], p[1]), 1.0f) << "frame " << k;
        const float corners[] = { p[0], p[1], -p[0], p[1], -p[0], -p[1], p[0], -p[1] };
        for (size_t c = 0; c < 4; c++) {
            SCOPED_TRACE("frame " + std::to_string(k) + " corner " + std::to_string(c));
            ExpectVector(CVector(p[3 * c], p[3 * c + 1], p[3 * c + 2]), corners[2 * c], corners[2 * c + 1], 0.0f);
        }
        const tinygltf::Material& material = gltf.materials.at(static_cast<size_t>(quad.material));
        EXPECT_GE(material.pbrMetallicRoughness.baseColorTexture.index, 0) << "frame " << k;
        if (data->blendMode >= 0 && data->blendMode <= 3) {
            EXPECT_EQ(material.alphaMode, alphaModes[data->blendMode]) << "frame " << k;
        }
        if (frames.size() > 1) {
            const tinygltf::AnimationSampler& keys = gltf.animations[0].samplers.at(k);
            const size_t count = gltf.accessors.at(static_cast<size_t>(keys.input)).count;
            const float* times = FloatsOf(gltf, keys.input);
            EXPECT_NEAR(times[count - 2], k == 0 ? 0.0 : 0.48 * k, 1e-4) << "frame " << k;
            EXPECT_NEAR(times[count - 1], 0.48 * (k + 1), 1e-4) << "frame " << k;
        }
    }
}

// The export of the model passes the validator, and its frames are the
// parsed file's.
void CheckExport(const std::filesystem::path& model, const std::string& output) {
    SCOPED_TRACE(model.string());
    if (CanValidate()) {
        EXPECT_EQ(ValidationErrors(output), "");
    }
    tinygltf::Model gltf;
    std::string error;
    ASSERT_TRUE(ReadGltf(output, gltf, error)) << error;
    if (IsSprite(model)) {
        CheckSpriteExport(model, gltf);
        return;
    }
    const Frames expected = ParsedFrames(model);
    const Frames exported = ExportedFrames(gltf);
    ASSERT_EQ(exported.size(), expected.size());
    CVector low = expected[0][0], high = expected[0][0];
    for (const CVector& p : expected[0]) {
        low = CVector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = CVector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    const float tolerance = 1e-4f * std::max({ high.x - low.x, high.y - low.y, high.z - low.z, 1.0f });
    for (size_t k = 0; k < expected.size(); k++) {
        ASSERT_EQ(exported[k].size(), expected[k].size());
        for (size_t c = 0; c < expected[k].size(); c++) {
            const CVector miss = exported[k][c] - expected[k][c];
            ASSERT_LE(std::max({ std::fabs(miss.x), std::fabs(miss.y), std::fabs(miss.z) }), tolerance)
                << "frame " << k << " corner " << c;
        }
    }
}

// Two animations of a strip over four vertices, each frame placed apart.
std::string Md2Model(const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    const char* const names[] = { "stand01", "stand02", "run01" };
    for (int i = 0; i < 3; i++) {
        const uint8_t d = static_cast<uint8_t>(10 * i);
        layout.frames.push_back(NamedFrame(names[i], { { d, 0, 0, 0 }, { 0, 40, d, 0 }, { 0, 0, 40, 0 }, { d, 40, 40, 0 } }));
        layout.frames.back().translate[2] = -20.0f;
    }
    layout.Run(4).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).Vertex(1, 1, 3).End();
    return Text(layout.Write());
}

// Two parts over one square, two animations.
std::string SinModel(const CTestFolder& folder) {
    SinMesh mesh;
    mesh.Group().Strip({ { 0.25f, 0.25f, 0 }, { 0.75f, 0.25f, 1 }, { 0.25f, 0.75f, 2 } }).End();
    mesh.Group().Strip({ { 0.75f, 0.25f, 1 }, { 0.25f, 0.75f, 2 }, { 0.75f, 0.75f, 3 } }).End();
    folder.Write("sin/model.sbm", Text(mesh.Write()));
    folder.Write("sin/walk.sam", Text(SinAnimationFile({ Square(-40), Square(0), Square(-60) })));
    folder.Write("sin/idle.sam", Text(SinAnimationFile({ Square(10) })));
    folder.Write("sin/base.tga", TinyTga(2, 2, 255, 0, 0));
    return folder.Write("sin/x.def", SinDefinition({ "model.sbm", "walk.sam", "idle.sam", "skin base.tga" }));
}

struct ExportCase {
    const char* what;
    std::function<std::string(const CTestFolder&)> make;   // the model's path
    const char* output;
    int         exitCode;
};

const ExportCase cases[] = {
    { "an MD2 with its skin, as .gltf, buffer and picture beside it",
      [](const CTestFolder& f) {
          f.Write("skin.tga", TinyTga(4, 4, 10, 200, 30));
          return f.Write("m.md2", Md2Model({ "skin.tga" }));
      },
      "out/m.gltf", EXIT_LOADED },
    { "an MD2 whose skin is missing", [](const CTestFolder& f) { return f.Write("m.md2", Md2Model({ "gone.pcx" })); },
      "m.glb", EXIT_INCOMPLETE },
    { "an MD2 whose missing skin's name ends the found one's",
      [](const CTestFolder& f) {
          f.Write("myskin.tga", TinyTga(4, 4, 10, 200, 30));
          return f.Write("m.md2", Md2Model({ "myskin.tga", "skin.tga" }));
      },
      "m.glb", EXIT_INCOMPLETE },
    { "a SiN model of two parts", SinModel, "m.glb", EXIT_LOADED },
    { "a file that is no model", [](const CTestFolder& f) { return f.Write("m.md2", "IDP2 and nothing else"); },
      "m.glb", EXIT_NOT_A_SCENE },
};

TEST(Export, ModelsTheTestsMake) {
    if (!CanValidate()) {
        std::printf("node or gltf-validator (scripts/setup installs it) is missing: exports are not validated\n");
    }
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CTestFolder folder;
        std::filesystem::create_directories(folder.Path("out"));
        const std::string model = c.make(folder);
        ASSERT_EQ(Export(model, folder.Path(c.output)), c.exitCode);
        if (c.exitCode == EXIT_NOT_A_SCENE) {
            EXPECT_FALSE(std::filesystem::exists(folder.Path(c.output)));
        } else {
            CheckExport(model, folder.Path(c.output));
        }
    }
}

TEST(Export, RealModels) {
    std::vector<std::filesystem::path> models = TestDataFiles("md2", ".md2");
    for (const auto& more : { TestDataFiles("mdl", ".mdl"), TestDataFiles("player", "/tris.md2"),
                              TestDataFiles("sprite", ".sp2"), TestDataFiles("sprite", ".spr") }) {
        models.insert(models.end(), more.begin(), more.end());
    }
    if (models.empty()) {
        GTEST_SKIP() << "no real models in " << testData;
    }
    const CTestFolder folder;
    for (const std::filesystem::path& model : models) {
        const std::string name = model.filename().string();
        // Quake sprites (IDSP version 1) are no sprites of this viewer's.
        const bool broken = IsSprite(model) ? ParseSprite(FileBytes(model)).data == nullptr
                                            : name.find("invalid") != std::string::npos ||
                                                  name.find("malformed") != std::string::npos;
        const std::string output = folder.Path(name + ".glb");
        const int exitCode = Export(model.string(), output);
        EXPECT_EQ(exitCode == EXIT_NOT_A_SCENE, broken) << model;
        if (exitCode != EXIT_NOT_A_SCENE) {
            CheckExport(model, output);
        }
    }
}

}  // namespace
