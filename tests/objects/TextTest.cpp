#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "objects/CGlyphCache.h"
#include "objects/COGLText.h"
#include "platform/CFile.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"
#include "support/Surfaces.h"

namespace {

// Text drawn white (lighting off) on black in the ortho view of GLTest.
class TextTest : public GLTest {
protected:
    struct Span {
        float left = 0.0f, right = 0.0f;
        int   pixels = 0;
        float Middle() const { return (left + right) / 2.0f; }
    };

    // The world x range and number of lit pixels between heights bottom and top.
    Span LitSpan(float bottom, float top) const {
        const std::vector<uint8_t> p = context.ReadPixels(0, 0, SIZE, SIZE);
        Span span;
        for (int py = ToPixel(bottom); py < ToPixel(top); py++) {
            for (int px = 0; px < SIZE; px++) {
                if (p[4 * (py * SIZE + px) + 1] < 128) {
                    continue;
                }
                const float x = (float(px) + 0.5f) / PIXELS_PER_UNIT - HALF_WIDTH;
                span.left = span.pixels == 0 ? x : std::min(span.left, x);
                span.right = span.pixels == 0 ? x : std::max(span.right, x);
                span.pixels++;
            }
        }
        return span;
    }

    static int ToPixel(float world) { return static_cast<int>((world + HALF_WIDTH) * PIXELS_PER_UNIT); }

    static std::unique_ptr<COGLText> MakeText(const std::string& words, float size, bool centred, float x = 0.0f,
                                              float y = 0.0f) {
        auto text = std::make_unique<COGLText>();
        text->SetText(words);
        text->centred = centred;
        text->SetScale(size, size, size);
        text->SetPosition(x, y, 0.0f);
        text->Rebuild();
        return text;
    }

    void Redraw(COGLText& text) {
        Clear();
        text.Draw(State(), DRAW_MATERIAL);
    }

    static constexpr float PIXELS_PER_UNIT = SIZE / (2 * HALF_WIDTH);
    CCapturedReports reports;
};

int Load(COGLText& text, const std::vector<uint8_t>& record) {
    CFile file;
    EXPECT_TRUE(file.OpenMemory(record.data(), record.size()));
    const int textureIndex = text.Load(file, 6);
    EXPECT_EQ(file.GetPosition(), TEXT_RECORD_SIZE);
    return textureIndex;
}

}  // namespace

TEST_F(TextTest, TheRecordTailIsReadAtItsOffsetsAndWrittenBackAndTheTextIsCutTo32) {
    const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const std::vector<uint8_t> record = SampleTextRecord(full, "Times New Roman", false, true);
    ASSERT_EQ(record.size(), TEXT_RECORD_SIZE);
    COGLText text;
    const int textureIndex = Load(text, record);
    EXPECT_EQ(textureIndex, 3);
    EXPECT_EQ(text.text, full);
    EXPECT_EQ(text.count, 32);
    EXPECT_EQ(text.font.faceName, "Times New Roman");
    EXPECT_TRUE(text.font.italic);
    EXPECT_FALSE(text.centred);
    EXPECT_EQ(text.extrusion, 0.25f);
    EXPECT_EQ(text.metrics.size(), 32u);
    // The lists are made when the text is first drawn. The sample prefix has
    // render mode 2: picking uses the line glyphs.
    EXPECT_EQ(text.polygonBase, 0u);
    text.Draw(State(), 0);
    EXPECT_EQ(text.selectionList, text.lineBase);
    EXPECT_TRUE(glIsList(text.polygonBase + '5') && glIsList(text.lineBase + '5'));
    // Not centred: the stored offset gives way to none.
    EXPECT_EQ(text.offset.x, 0.0f);
    EXPECT_EQ(text.offset.z, 0.0f);

    std::vector<uint8_t> expected = record;
    std::memcpy(expected.data() + 196, expected.data() + 208, 4);  // the repeated position x won
    std::memset(expected.data() + 272, 0, 12);
    EXPECT_EQ(SavedBytes([&](CFile& out) { text.Save(out, textureIndex); }), expected);

    // Longer texts are cut to the 32 the record holds; an empty one is a space.
    EXPECT_FALSE(text.SetText(std::string(40, 'x')));
    EXPECT_EQ(text.text, std::string(32, 'x'));
    EXPECT_TRUE(text.SetText(""));
    text.Rebuild();
    EXPECT_EQ(text.text, " ");
    EXPECT_EQ(text.count, 1);
    EXPECT_EQ(text.metrics.size(), 1u);
}

// Texts in one font draw with the same lists, each character compiled once,
// and look as a text with lists of its own does; another font has its own. A
// family with no match is drawn in Arial.
TEST_F(TextTest, TextsOfOneFontShareTheirLists) {
    std::unique_ptr<COGLText> alone = MakeText("HIH", 2.0f, true);
    Redraw(*alone);
    const std::vector<uint8_t> picture = context.ReadPixels(0, 0, SIZE, SIZE);
    CGlyphCache cache;
    auto shared = [&](const std::string& words, const std::string& face) {
        auto text = std::make_unique<COGLText>();
        text->UseGlyphCache(cache);
        text->SetText(words);
        text->SetScale(2.0f, 2.0f, 2.0f);
        text->SetFont(face, 0.5f);
        Redraw(*text);
        return text;
    };
    const std::unique_ptr<COGLText> first = shared("HIH", "Arial");
    const std::unique_ptr<COGLText> second = shared("HIH", "No Such Family Anywhere");
    EXPECT_EQ(second->font.faceName, "Arial");
    EXPECT_NE(CTestFolder::Read(Diagnostics().LogFilePath()).find("\"No Such Family Anywhere\"; using Arial"),
              std::string::npos);
    EXPECT_EQ(cache.CompiledCount(), 2);
    EXPECT_EQ(second->polygonBase, first->polygonBase);
    EXPECT_EQ(context.ReadPixels(0, 0, SIZE, SIZE), picture);
    const std::unique_ptr<COGLText> serif = shared("HI", "Times New Roman");
    EXPECT_EQ(cache.CompiledCount(), 4);
    EXPECT_NE(serif->polygonBase, first->polygonBase);

    // Past the budget of sets, new extrusions take the nearest one's lists.
    const size_t room = CGlyphCache::MAX_SETS - 2;
    for (size_t i = 0; i < room + 10; i++) {
        const unsigned char letter = 'H';
        cache.Set("Arial", false, 1.0f + static_cast<float>(i)).Prepare(&letter, 1);
    }
    EXPECT_EQ(cache.CompiledCount(), 4 + static_cast<int>(room));
    EXPECT_EQ(&cache.Set("Arial", false, 1000.0f), &cache.Set("Arial", false, static_cast<float>(room)));
}

// Centred, a text moves by half its scaled advance. Not centred, it starts at
// its position: the record test asserts that its offset is none.
TEST_F(TextTest, CentredTextIsCentredOnItsPosition) {
    std::unique_ptr<COGLText> text = MakeText("HIH", 2.0f, true, 0.5f, -1.0f);
    Redraw(*text);
    const Span centred = LitSpan(-1.0f, 0.0f);
    ASSERT_GT(centred.pixels, 50);
    EXPECT_NEAR(centred.Middle(), 0.5f, 0.15f);

    text->metrics.assign(3, GlyphMetrics());
    text->metrics[0].cellIncX = 1.0f;
    text->metrics[1].cellIncX = 0.5f;
    text->metrics[2].cellIncX = 1.5f;
    text->SetScaleX(2.0f);
    EXPECT_EQ(text->offset.x, -3.0f);
    EXPECT_EQ(text->extents.x, 3.0f);
    EXPECT_EQ(text->offset.z, 0.25f);
}

// Turned 0.6 rad about y and lit in turn along its front's normal and along
// the normal of the side walls that face the viewer: each time the lit
// surfaces shine and the others show only the ambient light. Back faces are
// culled, so walls wound inwards would show the far walls instead.
TEST_F(TextTest, ExtrusionShowsSideWallsLitApartFromTheFront) {
    const float ambient[4] = { 0.3f, 0.3f, 0.3f, 1.0f };
    const float white[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_CULL_FACE);
    std::unique_ptr<COGLText> text = MakeText("H", 3.0f, true, 0.0f, -1.0f);
    text->SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
    text->SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
    text->RotateY(0.6f * 180.0f / 3.14159265f);
    struct Counts {
        int lit = 0, ambientOnly = 0;
    };
    auto draw = [&](float lightX, float lightZ, float extrusion) {
        const float direction[4] = { lightX, 0.0f, lightZ, 0.0f };
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        text->extrusion = extrusion;
        text->Rebuild();
        Redraw(*text);
        Counts counts;
        const std::vector<uint8_t> p = context.ReadPixels(0, 0, SIZE, SIZE);
        for (size_t i = 0; i < p.size(); i += 4) {
            counts.lit += p[i] > 230;
            counts.ambientOnly += p[i] > 50 && p[i] < 110;
        }
        return counts;
    };
    const Counts front = draw(-std::sin(0.6f), std::cos(0.6f), 1.0f);
    const Counts walls = draw(std::cos(0.6f), std::sin(0.6f), 1.0f);
    const Counts flat = draw(-std::sin(0.6f), std::cos(0.6f), 0.0f);
    EXPECT_GT(front.lit, 150);
    EXPECT_GT(front.ambientOnly, 3 * front.lit);
    EXPECT_NEAR(walls.lit, front.ambientOnly, front.ambientOnly / 10);
    EXPECT_NEAR(walls.ambientOnly, front.lit, front.lit / 10);
    EXPECT_NEAR(flat.lit, front.lit, front.lit / 10);
    EXPECT_LT(flat.ambientOnly, 10);
}

TEST_F(TextTest, TextureCoordinatesComeFromTheGlyphPlane) {
    const std::unique_ptr<COGLTexture2D> texture = HalvedTexture(0, 1);  // red, then green: one repeat per em
    std::unique_ptr<COGLText> text = MakeText("H", 5.0f, false, -3.0f, -2.0f);
    text->SetTexture(texture.get());
    text->SetTextureMode(GL_REPLACE);
    Redraw(*text);
    // The stems of H lie at 0.13 and 0.59 em.
    const float y = -2.0f + 5.0f * 0.3f;
    ExpectSpots({ { -3.0f + 5.0f * 0.13f, y, 255, 0, 0 }, { -3.0f + 5.0f * 0.59f, y, 0, 255, 0 } }, 40);
}

// The euro sign is Windows-1252's byte 0x80; 0x81 is a control no font draws:
// it draws nothing, and the text after it keeps its place.
TEST_F(TextTest, AMissingGlyphDrawsNothingAndKeepsItsAdvance) {
    std::unique_ptr<COGLText> text = MakeText("\x80\x81H", 2.0f, false, -3.0f, -1.0f);
    ASSERT_EQ(text->metrics.size(), 3u);
    EXPECT_GT(text->metrics[0].blackBoxX, 0.3f);
    EXPECT_EQ(text->metrics[1].blackBoxX, 0.0f);
    EXPECT_GT(text->metrics[1].cellIncX, 0.2f);
    Redraw(*text);
    const Span withGap = LitSpan(-1.0f, 0.5f);
    std::unique_ptr<COGLText> closed = MakeText("\x80H", 2.0f, false, -3.0f, -1.0f);
    Redraw(*closed);
    const Span without = LitSpan(-1.0f, 0.5f);
    EXPECT_NEAR(withGap.pixels, without.pixels, without.pixels / 20);
    EXPECT_NEAR(withGap.right - without.right, 2.0f * text->metrics[1].cellIncX, 0.15f);
}
