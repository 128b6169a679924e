#include "tools/TextureFit.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "objects/COGLObject.h"

UvTransform TextureTransform(const COGLObject& object, const CVector& translate, const CVector& scale) {
    double m[16];
    object.PushTextureTransform(translate, scale);
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    COGLObject::PopTextureTransform();
    UvTransform transform;
    const double a = m[0], b = m[4], c = m[1], d = m[5], e = m[12], f = m[13];
    if (!std::all_of(m, m + 16, [](double v) { return std::isfinite(v); })) {
        return transform;
    }
    transform.linear[0] = a;
    transform.linear[1] = -b;
    transform.linear[2] = -c;
    transform.linear[3] = d;
    transform.offset[0] = b + e;
    transform.offset[1] = 1.0 - d - f;
    return transform;
}

TextureFit FitTransform(const UvTransform& t) {
    TextureFit fit;
    const double scaleU = std::hypot(t.linear[0], t.linear[2]);
    const double cosine = scaleU > 0.0 ? t.linear[0] / scaleU : 1.0;
    const double sine = scaleU > 0.0 ? -t.linear[2] / scaleU : 0.0;
    const double scaleV = t.linear[1] * sine + t.linear[3] * cosine;
    const double shear = t.linear[1] * cosine - t.linear[3] * sine;
    fit.fits = std::fabs(shear) <= 1e-6 * std::max(1.0, std::fabs(scaleV));
    // Float noise of a turn by 0 or a whole turn is no rotation.
    const auto clean = [](double value, double exact) { return std::fabs(value - exact) < 1e-9 ? exact : value; };
    fit.offset[0] = clean(t.offset[0], 0.0);
    fit.offset[1] = clean(t.offset[1], 0.0);
    fit.rotation = clean(std::atan2(sine, cosine), 0.0);
    fit.scale[0] = clean(scaleU, 1.0);
    fit.scale[1] = clean(scaleV, 1.0);
    return fit;
}

