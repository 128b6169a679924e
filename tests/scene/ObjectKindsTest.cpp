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

// The OpenGL state an object's drawing may change and must put back.
std::vector<int> DrawingState() {
    std::vector<int> state;
    for (GLenum cap : { GL_LIGHTING, GL_BLEND, GL_ALPHA_TEST, GL_TEXTURE_2D, GL_CULL_FACE, GL_COLOR_MATERIAL,
                        GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE,
                        GL_NORMALIZE, GL_DEPTH_TEST, GL_LIGHT0 }) {
        state.push_back(glIsEnabled(cap));
    }
    for (GLenum query : { GL_DEPTH_WRITEMASK, GL_MATRIX_MODE, GL_MODELVIEW_STACK_DEPTH, GL_TEXTURE_STACK_DEPTH,
                          GL_FRONT_FACE, GL_SHADE_MODEL, GL_TEXTURE_BINDING_2D }) {
        GLint value = 0;
        glGetIntegerv(query, &value);
        state.push_back(value);
    }
    GLint polygonModes[2];
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    state.insert(state.end(), polygonModes, polygonModes + 2);
    return state;
}

// A model file for each model kind, so that its drawing draws something.
std::map<std::string, std::string> SampleModelFiles() {
    Md2Layout md2;
    const std::vector<Md2Vertex> vertices = { { 0, 0, 0, 5 }, { 10, 0, 0, 5 }, { 0, 10, 0, 5 } };
    md2.frames = { NamedFrame("stand1", vertices), NamedFrame("stand2", vertices) };
    md2.Run(3).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).End();
    const std::string sprite = IndexedSprite(1, { { 4, 4 }, { 4, 4 } }, { { 0, 0, 0 }, { 200, 0, 0 } });
    return { { "COGLMD2", Text(md2.Write()) }, { "COGLPlayer", Text(md2.Write()) },
             { "COGLMDL", Text(MdlTriangle({ "stand1", "stand2" }, 1).Write()) }, { "COGLSprite", sprite },
             { "COGLHLModel", HlText(HlLayout().Write()) },
             { "COGLSBM", SinDefinition({ "sample.sbm", "sample.sam" }) } };
}

// Files a sample loads from beside it.
std::map<std::string, std::string> SampleCompanionFiles(const std::string& className) {
    if (className != "COGLSBM") {
        return {};
    }
    SinMesh mesh;
    mesh.Group().Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 } }).End();
    const SinFrame frame = { { 1, 1, 1 }, { 0, 0, 0 }, { { 0, 0, 0, 5 }, { 10, 0, 0, 5 }, { 0, 10, 0, 5 } } };
    return { { "sample.sbm", Text(mesh.Write()) }, { "sample.sam", Text(SinAnimationFile({ frame, frame })) } };
}

class ObjectKindsTest : public GLTest {};

}  // namespace

TEST(ObjectKinds, OneKindForEveryTypeCodeInOrder) {
    int expected = 0;
    for (const ObjectKind& kind : ObjectKinds()) {
        EXPECT_EQ(kind.typeCode, expected++) << kind.className;
        EXPECT_EQ(FindObjectKind(kind.className), &kind);
        EXPECT_NE(kind.create, nullptr) << kind.className;
        EXPECT_NE(kind.read, nullptr) << kind.className;
    }
    EXPECT_EQ(FindObjectKind(19), nullptr);
    EXPECT_EQ(FindObjectKind("COGLObject"), nullptr);
}

// What each kind makes reports the table's class and type code, and drawing
// it in every way leaves the OpenGL state as it found it.
TEST_F(ObjectKindsTest, EveryKindIsWhatTheTableSaysAndDrawsCleanly) {
    CTestFolder folder;
    COGLScene scene;
    const std::map<std::string, std::string> samples = SampleModelFiles();
    for (const ObjectKind& kind : ObjectKinds()) {
        SCOPED_TRACE(kind.className);
        std::unique_ptr<COGLObject> object = kind.create();
        EXPECT_STREQ(object->ClassName(), kind.className);
        EXPECT_EQ(object->typeCode, kind.typeCode);
        if (auto* model = dynamic_cast<COGLModel*>(object.get())) {
            ASSERT_EQ(samples.count(kind.className), 1u) << "no sample file for this model kind";
            for (const auto& [name, bytes] : SampleCompanionFiles(kind.className)) {
                folder.Write(name, bytes);
            }
            LoadModelInto(scene, *model, folder.Write("sample", samples.at(kind.className)));
            ASSERT_TRUE(model->IsLoaded());
        }
        if (auto* text = dynamic_cast<COGLText*>(object.get())) {
            text->SetText("Orrin");
            text->Rebuild();
        }
        object->SetTransparent(true);
        const std::vector<int> before = DrawingState();
        for (int flags : { int(DRAW_MATERIAL), DRAW_MATERIAL | DRAW_WIRE | DRAW_AXES, 0 }) {
            object->Draw(flags);
            EXPECT_EQ(DrawingState(), before) << "Draw(" << flags << ")";
        }
        object->DrawForSelection();
        object->DrawSelected();
        object->DrawAxes();
        EXPECT_EQ(DrawingState(), before) << "selection and axes";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}
