#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "image/COGLTexture2D.h"
#include "objects/COGLObject.h"

namespace {

// Stands for a plane, which keeps its z scale at 1 whatever it is given.
class FlatObject : public COGLObject {
public:
    void SetScale(float x, float y, float) override { COGLObject::SetScale(x, y, 1.0f); }
};

}  // namespace

TEST(COGLObject, RotationAnglesAreReducedBeforeUse) {
    COGLObject twiceAround;
    twiceAround.RotateZ(720.0f);
    EXPECT_FLOAT_EQ(twiceAround.orientation.z, 0.0f);
    EXPECT_FLOAT_EQ(twiceAround.orientation.w, 1.0f);
    // 270 degrees about y, however given: sin 135 and cos 135 degrees.
    for (float degrees : { -90.0f, 270.0f }) {
        COGLObject turned;
        turned.RotateY(degrees);
        EXPECT_NEAR(turned.orientation.y, 0.70710677f, 1e-6) << degrees;
        EXPECT_NEAR(turned.orientation.w, -0.70710677f, 1e-6) << degrees;
    }
    // 359.5 is first brought down to -0.5, then back up to 359.5: the turn
    // keeps its long way round (w near -1), as the editor saved it.
    COGLObject almost;
    almost.RotateX(359.5f);
    EXPECT_LT(almost.orientation.w, -0.99f);
    // Angles no float step can reduce must not hang the loader.
    COGLObject hostile;
    hostile.RotateX(1e30f);
    hostile.RotateY(std::numeric_limits<float>::infinity());
    hostile.RotateZ(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isfinite(hostile.orientation.w));
}

TEST(COGLObject, LaterRotationsComposeOnTheLeft) {
    COGLObject object;
    object.RotateX(90.0f);
    object.RotateY(90.0f);
    // qy (x) qx; the other order gives z = +0.5.
    EXPECT_NEAR(object.orientation.x, 0.5f, 1e-6);
    EXPECT_NEAR(object.orientation.y, 0.5f, 1e-6);
    EXPECT_NEAR(object.orientation.z, -0.5f, 1e-6);
    EXPECT_NEAR(object.orientation.w, 0.5f, 1e-6);
}

TEST(COGLObject, CopyFromGoesThroughTheSettersAndTakesANewSelectionName) {
    COGLObject source;
    source.name = "Lamp";
    source.SetScale(2, 3, 4);
    source.extents = CVector(7, 8, 9);
    source.Hide();
    source.RotateZ(30.0f);

    FlatObject copy;
    copy.solidList = 77;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.name, "Copy of Lamp");
    EXPECT_EQ(copy.scale.y, 3.0f);
    EXPECT_EQ(copy.scale.z, 1.0f);  // the subclass's override applied
    EXPECT_EQ(copy.extents.y, 8.0f);
    EXPECT_FALSE(copy.IsVisible());
    EXPECT_EQ(copy.orientation.z, source.orientation.z);
    EXPECT_EQ(copy.solidList, 77u);  // lists stay the copy's own
    EXPECT_GT(copy.SelectionName(), source.SelectionName() & ~COGLObject::HIDDEN_BIT);
    EXPECT_NE(copy.SelectionName(), source.SelectionName());
}

TEST(COGLObject, SetTextureKeepsNoTextureThatCannotBePrepared) {
    COGLTexture2D neverLoaded(AssetId(), false);  // described, never decoded
    COGLObject object;
    object.SetTexture(&neverLoaded);
    EXPECT_EQ(object.Texture(), nullptr);
}
