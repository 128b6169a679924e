#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/Md2Bytes.h"
#include "models/Md2Normals.h"
#include "models/MdlBytes.h"
#include "platform/LittleEndian.h"
#include "support/ModelFileFixture.h"

namespace {

// Quake palette entries (255, 0, 0) and (0, 0, 255).
constexpr uint8_t RED = 251;
constexpr uint8_t BLUE = 208;

// Red, green / blue, white: row 0 is the t = 0 edge.
std::unique_ptr<COGLTexture2D> FourColours() {
    COGLImage image;
    image.width = image.height = 2;
    image.pixels = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255 };
    return std::make_unique<COGLTexture2D>(std::make_shared<COGLImage>(image));
}

// MDL frames stand on the file's plane x = 0, y across and z up: drawn with
// the file's axes as they are, y runs along world x and z up world y. At the
// model's 1/20 scale and with y shifted by -40 (origin minus eye), file y 0
// to 80 spans world x -2 to 2, and file z 0 to 40 two units up. The skin is
// 4 texels wide: red on the left half, blue on the right.
MdlLayout MdlWall() {
    MdlLayout layout;
    layout.origin[1] = -30.0f;
    layout.eye[1] = 10.0f;
    layout.skinWidth = 4;
    layout.skinHeight = 2;
    layout.skins = { { RED, RED, BLUE, BLUE, RED, RED, BLUE, BLUE } };
    return layout;
}

MdlVertex At(uint8_t y, uint8_t z) {
    return { 0, y, z, 0 };
}

// Two frames of a wall two units high: frame 0 from world x -2 to -0.5,
// frame 1 from 0.5 to 2 (mesh x -40 to -10, then 10 to 40).
Bytes Md2Steps() {
    Md2Layout layout;
    layout.frames = { Wall("step1", -40.0f, 30, 0), Wall("step2", 10.0f, 30, 0) };
    layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    return layout.Write();
}

Bytes MdlSteps() {
    MdlLayout layout = MdlWall();
    layout.points.assign(4, { 0, 0, 0 });
    layout.triangles = { { 1, 0, 1, 2 }, { 1, 1, 3, 2 } };
    layout.Single({ "step1", { At(0, 0), At(30, 0), At(0, 40), At(30, 40) } });
    layout.Single({ "step2", { At(50, 0), At(80, 0), At(50, 40), At(80, 40) } });
    return layout.Write();
}

class ModelDraw : public CModelFileFixture {
protected:
    template <typename Model>
    Model& Placed(const std::string& name, const Bytes& file) {
        Model& model = Load<Model>(name, file);
        EXPECT_TRUE(model.IsLoaded());
        model.SetPosition(0.0f, -1.0f, 0.0f);
        return model;
    }
};

// The model's mesh either drawn by the model or replayed from a list.
class ListedMd2 : public COGLMD2 {
public:
    GLuint list = 0;

protected:
    void DrawMesh() override {
        if (list != 0) {
            glCallList(list);
        } else {
            COGLMD2::DrawMesh();
        }
    }
};

// The triangles as the model drew them before vertex arrays: each command
// run its own strip or fan, vertex by vertex, blended between two frames.
GLuint ListOfRunByRunDrawing(const COGLMD2& model) {
    const CMd2Data& data = *model.data;
    const int32_t first = model.GetAnimation()->first;
    const uint8_t* frameA = data.Frame(first + model.CurrentFrame());
    const uint8_t* frameB = data.Frame(first + model.NextFrame());
    const float f = model.FrameFraction();
    const std::vector<int32_t>& commands = data.commands;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (size_t word = 0; word < commands.size() && commands[word] != 0;) {
        const int32_t count = commands[word++];
        glBegin(count < 0 ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
        for (int32_t i = 0; i < std::abs(count); i++, word += 3) {
            const size_t vertex = CMd2Data::FRAME_HEADER_SIZE + 4 * size_t(commands[word + 2]);
            float a[3], b[3];
            for (int axis = 0; axis < 3; axis++) {
                a[axis] = frameA[vertex + axis] * FloatAt(frameA + 4 * axis) + FloatAt(frameA + 12 + 4 * axis);
                b[axis] = frameB[vertex + axis] * FloatAt(frameB + 4 * axis) + FloatAt(frameB + 12 + 4 * axis);
            }
            const float* n = md2Normals[frameA[vertex + 3]];
            glNormal3f(n[1], -n[2], -n[0]);
            const uint8_t* st = reinterpret_cast<const uint8_t*>(&commands[word]);
            glTexCoord2f(FloatAt(st), -FloatAt(st + 4));
            glVertex3f(a[1] + (b[1] - a[1]) * f, -(a[2] + (b[2] - a[2]) * f), -(a[0] + (b[0] - a[0]) * f));
        }
        glEnd();
    }
    glEndList();
    return list;
}

}  // namespace

// Each kind in its own axes: MD2 mesh y is the file's -z and is lifted by
// frame 0's lowest point; MDL mesh y is the file's z.
TEST_F(ModelDraw, FramesBlendStandOnTheOriginAndBoundWhatWasDrawn) {
    struct Case {
        const char* file;
        Bytes bytes;
        float minY, maxY;
    };
    const Case cases[] = { { "steps.md2", Md2Steps(), -30.0f, 10.0f }, { "steps.mdl", MdlSteps(), 0.0f, 40.0f } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        COGLModel& model = Placed<COGLModel>(c.file, c.bytes);
        glColor3f(0.0f, 1.0f, 0.0f);
        Redraw(model);
        ExpectSpots({ { -1.25f, 0.85f, 0, 255, 0 }, { -1.25f, 1.15f, 0, 0, 0 }, { -1.25f, -0.85f, 0, 255, 0 },
                      { -1.25f, -1.15f, 0, 0, 0 }, { -1.85f, 0.0f, 0, 255, 0 }, { -2.15f, 0.0f, 0, 0, 0 } });
        EXPECT_FLOAT_EQ(model.boundsMin.x, -40.0f);
        EXPECT_FLOAT_EQ(model.boundsMax.x, -10.0f);
        EXPECT_FLOAT_EQ(model.boundsMin.y, c.minY);
        EXPECT_FLOAT_EQ(model.boundsMax.y, c.maxY);

        model.StartAnimation();
        ASSERT_TRUE(model.animating);
        Tick(model, 4);
        Redraw(model);  // halfway: from -0.75 to 0.75
        ExpectSpots({ { 0.0f, 0.0f, 0, 255, 0 }, { -1.25f, 0.0f, 0, 0, 0 }, { 1.25f, 0.0f, 0, 0, 0 } });
        Tick(model, 4);
        Redraw(model);
        ExpectSpots({ { 1.25f, 0.0f, 0, 255, 0 }, { -1.25f, 0.0f, 0, 0, 0 } });
        EXPECT_FLOAT_EQ(model.boundsMin.x, 10.0f);
        EXPECT_FLOAT_EQ(model.boundsMax.x, 40.0f);

        // The highlight outlines that box in white; the red axis tick starts
        // from its bottom right.
        Clear();
        model.DrawSelected(State());
        EXPECT_TRUE(ColorNear(BrightestAround(0.5f, 0.0f, 2), 255, 255, 255));
        EXPECT_TRUE(ColorNear(BrightestAround(2.0f, 0.0f, 2), 255, 255, 255));
        EXPECT_TRUE(ColorNear(BrightestAround(1.25f, 0.0f, 2), 0, 0, 0));
        EXPECT_TRUE(ColorNear(BrightestAround(2.2f, -1.0f, 1), 255, 0, 0));
        EXPECT_TRUE(ColorNear(BrightestAround(2.2f, 1.0f, 1), 0, 0, 0));
    }
}

TEST_F(ModelDraw, MdlBackFacingTrianglesOnTheSeamTakeTheRightHalfOfItsSkin) {
    // Every vertex on the seam at texel column 1 of 4 (the red half).
    MdlLayout layout = MdlWall();
    layout.points.assign(6, { 1, 1, 1 });
    layout.triangles = { { 1, 0, 1, 2 }, { 0, 3, 4, 5 } };
    layout.Single({ "seam", { At(0, 0), At(30, 0), At(0, 40), At(50, 0), At(80, 0), At(80, 40) } });
    COGLMDL& seam = Placed<COGLMDL>("seam.mdl", layout.Write());
    ASSERT_TRUE(seam.SelectFirstSkin());
    glColor3f(1.0f, 1.0f, 1.0f);
    Redraw(seam);
    EXPECT_TRUE(ColorNear(PixelAt(-1.6f, -0.6f), 255, 0, 0));  // faces front: as it is
    EXPECT_TRUE(ColorNear(PixelAt(1.6f, -0.6f), 0, 0, 255));  // faces back: half a skin on

    // Off the seam a back-facing triangle keeps its point.
    layout.points.assign(6, { 0, 1, 1 });
    COGLMDL& offSeam = Placed<COGLMDL>("offseam.mdl", layout.Write());
    ASSERT_TRUE(offSeam.SelectFirstSkin());
    Redraw(offSeam);
    EXPECT_TRUE(ColorNear(PixelAt(1.6f, -0.6f), 255, 0, 0));
}

TEST_F(ModelDraw, RealMd2LooksAsWhenDrawnRunByRun) {
    ListedMd2& listed = LoadPath<ListedMd2>(ORRIN_TESTDATA "/md2/assimp/faerie.md2");
    if (!listed.IsLoaded()) {
        GTEST_SKIP() << "no MD2 test data";
    }
    listed.StartAnimation();
    for (int i = 0; i < 11; i++) listed.Animate();  // between two frames
    ASSERT_GT(listed.FrameFraction(), 0.0f);
    const std::unique_ptr<COGLTexture2D> texture = FourColours();
    listed.SetTexture(texture.get());
    LookAt(0.0f, 1.3f, 2.8f, 0.0f, 1.3f, 0.0f, 0.0f, 1.0f, 0.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // From above as well as in front, so that every axis of the normals shows.
    const float light[4] = { 0.0f, 1.0f, 1.0f, 0.0f };
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glEnable(GL_NORMALIZE);
    glEnable(GL_CULL_FACE);  // a triangle wound the wrong way would vanish

    std::vector<Rgba> pictures[2];
    for (std::vector<Rgba>& picture : pictures) {
        Redraw(listed);
        for (int y = 0; y < SIZE; y++) {
            for (int x = 0; x < SIZE; x++) picture.push_back(Pixel(x, y));
        }
        if (listed.list == 0) listed.list = ListOfRunByRunDrawing(listed);
    }
    glDeleteLists(listed.list, 1);
    int covered = 0;
    int differing = 0;
    for (size_t i = 0; i < pictures[0].size(); i++) {
        const Rgba& a = pictures[0][i];
        const Rgba& b = pictures[1][i];
        covered += a.r + a.g + a.b > 0;
        differing += std::abs(a.r - b.r) > 12 || std::abs(a.g - b.g) > 12 || std::abs(a.b - b.b) > 12;
    }
    EXPECT_GT(covered, SIZE * SIZE / 16);
    EXPECT_EQ(differing, 0);
}
