#include <GL/gl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/HlBytes.h"
#include "models/Md2Bytes.h"
#include "models/MdlBytes.h"
#include "models/SpriteBytes.h"
#include "objects/COGLObject.h"
#include "objects/COGLText.h"
#include "scene/ObjectKinds.h"
#include "scene/COGLScene.h"
#include "support/GLTest.h"
#include "support/LoadedModels.h"
#include "support/SinFiles.h"
#include "support/TestFolder.h"

namespace {

// A model file for each model kind, so that its drawing draws something, and
// the files the SiN sample loads from beside it.
std::map<std::string, std::string> SampleModelFiles() {
    Md2Layout md2;
    const std::vector<Md2Vertex> vertices = { { 0, 0, 0, 5 }, { 10, 0, 0, 5 }, { 0, 10, 0, 5 } };
    md2.frames = { NamedFrame("stand1", vertices), NamedFrame("stand2", vertices) };
    md2.Run(3).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).End();
    const std::string sprite = IndexedSprite(1, { { 4, 4 }, { 4, 4 } }, { { 0, 0, 0 }, { 200, 0, 0 } });
    SinMesh mesh;
    mesh.Group().Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 } }).End();
    const SinFrame frame = { { 1, 1, 1 }, { 0, 0, 0 }, { { 0, 0, 0, 5 }, { 10, 0, 0, 5 }, { 0, 10, 0, 5 } } };
    return { { "COGLMD2", Text(md2.Write()) }, { "COGLPlayer", Text(md2.Write()) },
             { "COGLMDL", Text(MdlTriangle({ "stand1", "stand2" }, 1).Write()) }, { "COGLSprite", sprite },
             { "COGLHLModel", HlText(HlLayout().Write()) },
             { "COGLSBM", SinDefinition({ "sample.sbm", "sample.sam" }) },
             { "sample.sbm", Text(mesh.Write()) }, { "sample.sam", Text(SinAnimationFile({ frame, frame })) } };
}

class ObjectKindsTest : public GLTest {};

}  // namespace

// Every kind, made by its entry of the table, drawn after every other, each frame begun from a state no draw
// may rely on (blending, no depth writes, the alpha test, no culling, another
// texture bound): since each draw states what it needs, it draws the same
// pixels whatever came before, and OpenGL holds what the tracker says.
TEST_F(ObjectKindsTest, EveryKindDrawsTheSameAfterEveryOther) {
    CTestFolder folder;
    COGLScene scene;
    const std::map<std::string, std::string> samples = SampleModelFiles();
    folder.Write("sample.sbm", samples.at("sample.sbm"));
    folder.Write("sample.sam", samples.at("sample.sam"));
    std::vector<std::unique_ptr<COGLObject>> objects;
    int typeCode = 0;  // one kind for every type code, in order
    for (const ObjectKind& kind : ObjectKinds()) {
        SCOPED_TRACE(kind.className);
        EXPECT_EQ(kind.typeCode, typeCode++);
        EXPECT_EQ(FindObjectKind(kind.className), &kind);
        EXPECT_EQ(FindObjectKind(kind.typeCode), &kind);
        EXPECT_NE(kind.read, nullptr);
        std::unique_ptr<COGLObject> object = kind.create();
        EXPECT_STREQ(object->ClassName(), kind.className);
        EXPECT_EQ(object->typeCode, kind.typeCode);
        if (auto* model = dynamic_cast<COGLModel*>(object.get())) {
            ASSERT_EQ(samples.count(kind.className), 1u) << "no sample file for this model kind";
            LoadModelInto(scene, *model, folder.Write("sample", samples.at(kind.className)));
            ASSERT_TRUE(model->IsLoaded());
        }
        if (auto* text = dynamic_cast<COGLText*>(object.get())) {
            text->SetText("Orrin");
            text->Rebuild();
        }
        object->SetTransparent(true);
        object->SetDiffuseAlpha(0.5f);
        objects.push_back(std::move(object));
    }
    EXPECT_EQ(FindObjectKind(typeCode), nullptr);
    EXPECT_EQ(FindObjectKind("COGLObject"), nullptr);

    GLuint stray = 0;
    glGenTextures(1, &stray);
    const uint32_t frame = GLS_DEPTH_TEST | GLS_DEPTH_WRITE | GLS_COLOR_WRITE | GLS_DITHER | GLS_CULL;
    const auto beginFrame = [&] {
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
        glEnable(GL_ALPHA_TEST);
        glDisable(GL_CULL_FACE);
        glBindTexture(GL_TEXTURE_2D, stray);
        gl.Reset(frame);
        gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    };
    const auto drawAlone = [&](COGLObject& object) {
        glColor3f(1.0f, 1.0f, 1.0f);  // the scene's object colour, set before its objects
        object.Draw(gl, DRAW_MATERIAL);
        return context.ReadPixels(0, 0, SIZE, SIZE);
    };
    std::vector<std::vector<uint8_t>> alone;
    for (const std::unique_ptr<COGLObject>& object : objects) {
        beginFrame();
        alone.push_back(drawAlone(*object));
    }
    for (const std::unique_ptr<COGLObject>& first : objects) {
        for (size_t i = 0; i < objects.size(); i++) {
            SCOPED_TRACE(std::string(first->ClassName()) + " then " + objects[i]->ClassName());
            beginFrame();
            first->Draw(gl, DRAW_MATERIAL | DRAW_WIRE | DRAW_AXES);
            first->DrawSelected(gl);
            first->DrawForSelection();
            ExpectStateKnown();
            gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            EXPECT_TRUE(drawAlone(*objects[i]) == alone[i]);
            ExpectStateKnown();
        }
    }
    glDeleteTextures(1, &stray);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
