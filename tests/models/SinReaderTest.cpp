#include <limits>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLSBM.h"
#include "models/SpriteBytes.h"
#include "support/ExpectVector.h"
#include "support/GameFiles.h"
#include "support/ModelFileFixture.h"
#include "support/ParsedFiles.h"
#include "support/SinFiles.h"

namespace {

// Four vertices: the origin and one on each file axis (10, 20, 30 bytes).
SinFrame AxisFrame(std::array<float, 3> scale, std::array<float, 3> translate, uint8_t normal = 0) {
    return { scale, translate, { { 0, 0, 0, normal }, { 10, 0, 0, normal }, { 0, 20, 0, normal }, { 0, 0, 30, normal } } };
}

// Group 7: a strip of all four vertices and a fan of three; group 9: a fan.
SinMesh StripAndFan() {
    SinMesh mesh;
    mesh.Group(7).Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 }, { 1, 1, 3 } }).Fan({ { 0, 0, 0 }, { 0, 1, 2 }, { 1, 1, 3 } }).End();
    mesh.Group(9).Fan({ { 0, 0, 1 }, { 0, 1, 2 }, { 1, 1, 3 } }).End();
    return mesh;
}

// model.sbm, idle.sam (2 frames), run.sam (3 frames) and base.tga in sub.
void WriteModelFiles(const CTestFolder& folder, const std::string& sub) {
    folder.Write(sub + "/model.sbm", Text(StripAndFan().Write()));
    const SinFrame unit = AxisFrame({ 1, 1, 1 }, { 0, 0, 0 });
    const SinFrame moved = AxisFrame({ 2, 2, 2 }, { 1, 2, 3 });
    folder.Write(sub + "/idle.sam", Text(SinAnimationFile({ unit, moved })));
    folder.Write(sub + "/run.sam", Text(SinAnimationFile({ unit, unit, moved })));
    folder.Write(sub + "/base.tga", TinyTga(2, 2, 255, 0, 0));
}

// A definition read from the folder "m" of the model files.
ParsedModel ParseIn(const CTestFolder& folder, const std::string& definition) {
    return ParseSin(std::vector<uint8_t>(definition.begin(), definition.end()), folder.Path("m/"), nullptr,
                    *TestAssets());
}

std::vector<std::string> Names(const CSinData& data) {
    std::vector<std::string> names;
    for (const auto& animation : data.animations) names.push_back(animation->name);
    return names;
}

using SinReader = CModelFileFixture;

// file with the word at offset forged.
std::string Forged(Bytes file, size_t offset, uint32_t value) {
    return Text(file.PutU32(offset, value));
}

}  // namespace

// A skin that is not there is left out, and not told. A scale line (any
// case) multiplies the default scale. Objects of one definition share its
// data and skins; each selects its own animation.
TEST_F(SinReader, ReadsTheFilesItsDefinitionNamesFromThePathLine) {
    WriteModelFiles(folder, "models/x");
    const std::string path = folder.Write("defs/x.def", SinDefinition({ "path " + folder.Path("models/x"), "model.sbm",
                                                                        "Scale 2", "idle idle.sam", "run.sam",
                                                                        "skin1 base.tga", "skin2 gone.tga" }));
    COGLSBM& model = LoadPath<COGLSBM>(path);
    ASSERT_TRUE(model.IsLoaded());
    const CSinData& data = *model.data;
    EXPECT_EQ(data.meshPath, folder.Path("models/x/model.sbm"));
    EXPECT_EQ(model.GetFrameCount(), 2);
    ASSERT_EQ(model.Skins().size(), 1u);
    EXPECT_EQ(data.skins[0].title, "skin1");
    EXPECT_EQ(model.Skins()[0]->Title(), "base");  // the cached picture keeps its own title
    EXPECT_EQ(model.SkinNames(),
              (std::vector<std::string> { folder.Path("models/x/base.tga"), folder.Path("models/x/gone.tga") }));
    ExpectVector(model.scale, 0.1f, 0.1f, 0.1f);
    EXPECT_EQ(reports.Errors(*scene), "");

    ASSERT_EQ(data.groups.size(), 2u);
    EXPECT_EQ(data.groups[0].value, 7);
    EXPECT_EQ(data.groups[0].commands.size(), 1u + 12 + 1 + 9 + 1);
    EXPECT_EQ(data.groups[1].value, 9);
    EXPECT_EQ(model.VertexCount(), 4);
    EXPECT_EQ(model.TriangleCount(), 2 + 1 + 1);

    // Drawn as (y, -z, -x) of byte * scale + translate: frame 1 is scale 2, translate (1, 2, 3).
    CVector min, max;
    model.FrameBounds(1, min, max);
    ExpectVector(min, 2, -63, -21);
    ExpectVector(max, 42, -3, -1);

    COGLSBM& other = LoadPath<COGLSBM>(path);
    EXPECT_EQ(other.data, model.data);
    EXPECT_EQ(other.Skins(), model.Skins());
    model.SelectAnimation("run");
    EXPECT_EQ(model.GetAnimation(), model.animations[1]);
    EXPECT_EQ(other.GetAnimation(), other.animations[0]);
    model.StartAnimation();
    EXPECT_TRUE(model.animating);
    model.Animate();
    model.SetVisible(false);
    model.SelectAnimation("Run");  // names are case-sensitive: nothing changes
    EXPECT_EQ(model.GetAnimation(), model.animations[1]);
    EXPECT_FALSE(model.IsVisible());
    EXPECT_FLOAT_EQ(model.framePosition, 0.125f);
    model.SelectAnimation("idle");
    EXPECT_TRUE(model.IsVisible());
    EXPECT_EQ(model.GetAnimation(), model.animations[0]);
}

TEST(SinFiles, DefinitionLines) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> names;
    };
    CTestFolder folder;
    WriteModelFiles(folder, "m");
    // Animation files whose counts, offsets or normals the file cannot hold.
    const Bytes animation = SinAnimationFile({ AxisFrame({ 1, 1, 1 }, { 0, 0, 0 }) });
    folder.Write("m/a.sam", Text(SinAnimationFile({ AxisFrame({ 1, 1, 1 }, { 0, 0, 0 }, 162) })));  // a normal past the table
    folder.Write("m/b.sam", Forged(animation, 116, 0x7FFFFFFF));    // frames
    folder.Write("m/c.sam", Forged(animation, 128 + 40, 0x7FFFFF00));  // the frame's data offset
    folder.Write("m/d.sam", Forged(animation, 112, 0x40000000));    // vertices
    folder.Write("m/e.sam", "short");
    const std::string longLine(3000, 'a');
    const Case cases[] = {
        { "the final line without CR LF is not read", "SDEF\r\nmodel.sbm\r\nidle.sam\r\nrun.sam", { "idle" } },
        { "block and line comments", SinDefinition({ "model.sbm", "/* run.sam */idle.sam", "/*", "run.sam", "*/",
                                                     "// run.sam", "x run.sam // y.sam" }), { "idle", "x" } },
        { "names", SinDefinition({ "model.sbm", " idle.sam", "walk fast run.sam", "run.samples" }), { "", "walk", "run" } },
        { "missing files skipped", SinDefinition({ "model.sbm", "gone.sam", "idle.sam" }), { "idle" } },
        { "files that cannot be read whole skipped",
          SinDefinition({ "model.sbm", "a.sam", "b.sam", "c.sam", "d.sam", "e.sam", "idle.sam" }), { "idle" } },
        { "lines beyond the buffer are cut", SinDefinition({ "model.sbm", longLine + ".sam", "idle.sam" }), { "idle" } },
        { "the name keeps 64 characters", SinDefinition({ "model.sbm", std::string(70, 'n') + " idle.sam" }),
          { std::string(64, 'n') } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedModel parsed = ParseIn(folder, c.text);
        ASSERT_TRUE(DataOf<CSinData>(parsed)->usable);
        EXPECT_EQ(Names(*DataOf<CSinData>(parsed)), c.names);
        EXPECT_TRUE(DataOf<CSinData>(parsed)->skins.empty());
        EXPECT_TRUE(parsed.messages.empty());
    }
    EXPECT_EQ(DataOf<CSinData>(ParseIn(folder, SinDefinition({ "model.sbm", "scale 1e300", "idle.sam" })))->scale,
              std::numeric_limits<float>::max());
}

TEST(SinFiles, RefusalsAbandonTheModel) {
    struct Case {
        const char* what;
        std::string text;
        std::string mesh;
        const char* message;
    };
    const std::string valid = SinDefinition({ "model.sbm", "idle.sam" });
    const Bytes mesh = StripAndFan().Write();
    const Case cases[] = {
        { "no SDEF", "SDEX\r\nmodel.sbm\r\nidle.sam\r\n", "", "Not a valid SIN def file." },
        { "empty", "", "", "Not a valid SIN def file." },
        { "no mesh line", SinDefinition({ "idle.sam" }), "", "Cannot locate the Model (.sbm) file." },
        { "mesh missing", SinDefinition({ "gone.sbm", "idle.sam" }), "", "Cannot locate the Model (.sbm) file." },
        { "every animation missing", SinDefinition({ "model.sbm", "gone.sam" }), "",
          "Cannot locate any anim (.sam) files for this model." },
        { "not a mesh", valid, std::string("SBM\0", 4), "Not a valid SIN Model (.sbm) file." },
        { "version 2", valid, Forged(mesh, 4, 2), "Not a valid SIN Model (.sbm) file." },
        { "more groups than the file holds", valid, Forged(mesh, 16, 0x10000000), "Not a valid SIN Model (.sbm) file." },
        { "commands outside the file", valid, Forged(mesh, 28 + 12, 4000), "Not a valid SIN Model (.sbm) file." },
        { "negative command count", valid, Forged(mesh, 28 + 24 + 8, 0xFFFFFFFF), "Not a valid SIN Model (.sbm) file." },
    };
    CTestFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteModelFiles(folder, "m");
        if (!c.mesh.empty()) folder.Write("m/model.sbm", c.mesh);
        const ParsedModel parsed = ParseIn(folder, c.text);
        EXPECT_FALSE(DataOf<CSinData>(parsed)->usable);
        EXPECT_NE(MessageTexts(parsed.messages).find(c.message), std::string::npos) << MessageTexts(parsed.messages);
    }
}
