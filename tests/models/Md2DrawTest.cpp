#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/Md2Bytes.h"
#include "models/Md2Normals.h"
#include "platform/LittleEndian.h"
#include "support/GLTest.h"

namespace {

// The table entry pointing most nearly along the file's +x axis, which the
// default half turn shows facing the viewer (world +z).
uint8_t TowardsTheViewer() {
    int best = 0;
    for (int k = 1; k < MD2_NORMAL_COUNT; k++) {
        if (md2Normals[k][0] > md2Normals[best][0]) best = k;
    }
    return static_cast<uint8_t>(best);
}

class Md2Draw : public GLTest {
protected:
    void Load(const Md2Layout& layout) {
        const Bytes bytes = layout.Write();
        ASSERT_TRUE(model.ReadModel(bytes.bytes.data(), bytes.Size(), false));
        model.loaded = true;
        model.SetPosition(0.0f, -1.0f, 0.0f);
    }
    // One wall from world x -2 to 2, every vertex with texture point (s, t).
    void LoadWall(float leftS, float rightS, float t) {
        Md2Layout layout;
        layout.frames = { Wall("wall", -40.0f, 80, TowardsTheViewer()) };
        layout.Run(4).Vertex(leftS, t, 0).Vertex(rightS, t, 1).Vertex(leftS, t, 2).Vertex(rightS, t, 3).End();
        Load(layout);
    }
    // Frame 0 from world x -2 to 0, frame 1 from 0 to 2.
    void LoadStepRight() {
        Md2Layout layout;
        layout.frames = { Wall("step1", -40.0f, 40, 0), Wall("step2", 0.0f, 40, 0) };
        layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
        Load(layout);
    }
    void Redraw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        model.Draw(DRAW_MATERIAL);
    }
    void Tick(int times) {
        for (int i = 0; i < times; i++) model.Animate();
    }

    COGLMD2 model;
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

float WordAsFloat(int32_t word) {
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

// The triangles as the model drew them before vertex arrays: each command
// run its own strip or fan, vertex by vertex, blended between two frames.
GLuint ListOfRunByRunDrawing(const COGLMD2& model) {
    const uint8_t* frameA = model.Frame(model.currentFrame);
    const uint8_t* frameB = model.Frame(model.nextFrame);
    const float f = model.frameFraction;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (size_t word = 0; word < model.commands.size() && model.commands[word] != 0;) {
        const int32_t count = model.commands[word++];
        glBegin(count < 0 ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
        for (int32_t i = 0; i < std::abs(count); i++, word += 3) {
            const size_t vertex = COGLMD2::FRAME_HEADER_SIZE + 4 * size_t(model.commands[word + 2]);
            float a[3], b[3];
            for (int axis = 0; axis < 3; axis++) {
                a[axis] = frameA[vertex + axis] * FloatAt(frameA + 4 * axis) + FloatAt(frameA + 12 + 4 * axis);
                b[axis] = frameB[vertex + axis] * FloatAt(frameB + 4 * axis) + FloatAt(frameB + 12 + 4 * axis);
            }
            const float* n = md2Normals[frameA[vertex + 3]];
            glNormal3f(n[1], -n[2], -n[0]);
            glTexCoord2f(WordAsFloat(model.commands[word]), -WordAsFloat(model.commands[word + 1]));
            glVertex3f(a[1] + (b[1] - a[1]) * f, -(a[2] + (b[2] - a[2]) * f), -(a[0] + (b[0] - a[0]) * f));
        }
        glEnd();
    }
    glEndList();
    return list;
}

}  // namespace

TEST_F(Md2Draw, RealModelLooksAsWhenDrawnRunByRun) {
    std::ifstream in(ORRIN_TESTDATA "/md2/assimp/faerie.md2", std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ListedMd2 listed;
    if (data.empty() || !listed.ReadModel(data.data(), data.size(), false)) {
        GTEST_SKIP() << "no MD2 test data";
    }
    listed.loaded = true;
    listed.StartAnimation();
    for (int i = 0; i < 11; i++) listed.Animate();  // between two frames
    ASSERT_GT(listed.frameFraction, 0.0f);
    const uint8_t texels[] = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255 };
    COGLTexture2D texture;
    ASSERT_TRUE(texture.CreateFromPixels(texels, 2, 2));
    listed.SetTexture(&texture);
    LookAt(0.0f, 1.3f, 2.8f, 0.0f, 1.3f, 0.0f, 0.0f, 1.0f, 0.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_CULL_FACE);  // a triangle wound the wrong way would vanish

    std::vector<Rgba> pictures[2];
    for (std::vector<Rgba>& picture : pictures) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        listed.Draw(DRAW_MATERIAL);
        for (int y = 0; y < SIZE; y++) {
            for (int x = 0; x < SIZE; x++) picture.push_back(Pixel(x, y));
        }
        listed.list = ListOfRunByRunDrawing(listed);
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

TEST_F(Md2Draw, TexturedWithTheCommandListsPointsTurnedUpsideDown) {
    // Red, green / blue, white: row 0 is the t = 0 edge.
    const uint8_t texels[] = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255 };
    COGLTexture2D texture;
    ASSERT_TRUE(texture.CreateFromPixels(texels, 2, 2));
    LoadWall(0.25f, 0.25f, 0.25f);
    model.SetTexture(&texture);
    glColor3f(1.0f, 1.0f, 1.0f);
    Redraw();
    // t = 0.25 is drawn at -0.25, which repeats as the lower row.
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 255));

    LoadWall(0.25f, 0.75f, 0.25f);
    model.SetTexture(&texture);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(-1.9f, 0.0f), 0, 0, 255));
    EXPECT_TRUE(ColorNear(PixelAt(1.9f, 0.0f), 255, 255, 255));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW);
}

TEST_F(Md2Draw, RestsOnItsOriginHeight) {
    LoadWall(0, 0, 0);
    glColor3f(0.0f, 1.0f, 0.0f);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, -0.85f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, -1.15f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.85f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 1.15f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-1.85f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-2.15f, 0.0f), 0, 0, 0));
}

TEST_F(Md2Draw, ShowsFrameOneAfterEightTicks) {
    LoadStepRight();
    model.StartAnimation();
    glColor3f(0.0f, 1.0f, 0.0f);
    Tick(4);
    Redraw();  // halfway: from -1 to 1
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0.0f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(1.5f, 0.0f), 0, 0, 0));
    Tick(4);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(1.0f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-1.0f, 0.0f), 0, 0, 0));
}

TEST_F(Md2Draw, WithoutLoopItStopsOnFrameZero) {
    LoadStepRight();
    model.loop = false;
    model.StartAnimation();
    glColor3f(0.0f, 1.0f, 0.0f);
    Tick(9);
    EXPECT_FALSE(model.animating);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(-1.0f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(1.0f, 0.0f), 0, 0, 0));
}

TEST_F(Md2Draw, FlippedNormalsLightTheOtherSide) {
    LoadWall(0, 0, 0);
    EmissionOnlyLighting();
    glEnable(GL_LIGHT0);
    const float white[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    const float fromViewer[4] = { 0.0f, 0.0f, 1.0f, 0.0f };
    const float fromBehind[4] = { 0.0f, 0.0f, -1.0f, 0.0f };
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);

    glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 255, 255, 255));
    model.SetFlipNormals(true);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 0));
    glLightfv(GL_LIGHT0, GL_POSITION, fromBehind);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 255, 255, 255));
}

TEST_F(Md2Draw, BoundsAreThoseOfTheLastFrameDrawn) {
    LoadStepRight();
    Redraw();
    // Mesh axes: x is file y, y is file -z, z is file -x.
    EXPECT_FLOAT_EQ(model.boundsMin.x, -40.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.x, 0.0f);
    EXPECT_FLOAT_EQ(model.boundsMin.y, -30.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.y, 10.0f);
    EXPECT_FLOAT_EQ(model.boundsMin.z, 0.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.z, 0.0f);

    model.StartAnimation();
    Tick(8);
    Redraw();
    EXPECT_FLOAT_EQ(model.boundsMin.x, 0.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.x, 40.0f);

    // The highlight outlines that box in white.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model.DrawSelected();
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 0.0f, 2), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(2.0f, 0.0f, 2), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(1.0f, 0.0f, 2), 0, 0, 0));

    // A model wholly below its origin has bounds below zero.
    Md2Layout layout;
    layout.frames = { Wall("low", -40.0f, 40, 0) };
    layout.frames[0].translate[2] = 5.0f;
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).End();
    Load(layout);
    Redraw();
    EXPECT_FLOAT_EQ(model.boundsMax.y, -5.0f);
}
