#pragma once

#include <cstdint>

// The fixed-function switches drawing depends on, one bit each. A draw
// states the whole set it needs, as its pass's baseline with a few bits
// changed; nothing assumes a default and nothing is put back afterwards.
enum GLStateBits : uint32_t {
    GLS_BLEND            = 1u << 0,   // source alpha over one minus source alpha...
    GLS_BLEND_ADD        = 1u << 1,   // ...or, with GLS_BLEND, one plus one
    GLS_DEPTH_TEST       = 1u << 2,   // less or equal
    GLS_DEPTH_WRITE      = 1u << 3,
    GLS_ALPHA_TEST       = 1u << 4,   // alpha above 0.1...
    GLS_ALPHA_HALF       = 1u << 5,   // ...or, with GLS_ALPHA_TEST, above 0.5
    GLS_TEXTURE_2D       = 1u << 6,
    GLS_TEXGEN_ST        = 1u << 7,   // the generating planes are the draw's own
    GLS_CULL             = 1u << 8,   // back faces...
    GLS_CULL_FRONT       = 1u << 9,   // ...or, with GLS_CULL, front faces
    GLS_FRONT_CW         = 1u << 10,  // front faces wound clockwise
    GLS_LIGHTING         = 1u << 11,
    GLS_COLOR_MATERIAL   = 1u << 12,
    GLS_NORMALIZE        = 1u << 13,
    GLS_AUTO_NORMAL      = 1u << 14,
    GLS_LINE_SMOOTH      = 1u << 15,
    GLS_POINT_SMOOTH     = 1u << 16,
    GLS_SHADE_FLAT       = 1u << 17,
    GLS_POLYGON_LINE     = 1u << 18,  // polygons as outlines...
    GLS_POLYGON_POINT    = 1u << 19,  // ...or as corner points
    GLS_POLYGON_OFFSET_LINE = 1u << 20,  // outlines pulled forwards; the offset is the draw's own
    GLS_STENCIL_TEST     = 1u << 21,  // function and operation are the draw's own
    GLS_COLOR_WRITE      = 1u << 22,
    GLS_DITHER           = 1u << 23,
};

// What OpenGL holds of the tracked state, as the tracker last set it. The
// pass (a frame, the shadows, a light's marker) sets its baseline; each draw
// applies the bits it needs and the tracker changes only the ones that
// differ, so a draw costs no queries and leaves nothing to repair.
class CGLState {
public:
    // Sets every tracked switch whatever OpenGL holds, and makes bits the
    // baseline: once a frame, since code outside the tracker (overlays,
    // uploads, another scene) may have changed anything.
    void Reset(uint32_t bits);
    // Takes what OpenGL holds now as both the state and the baseline: for
    // callers that set state by hand, such as tests.
    void Adopt();
    // The pass's state, which draws change a few bits of.
    void     SetBaseline(uint32_t bits) { baseline = bits; }
    uint32_t Baseline() const { return baseline; }
    uint32_t Bits() const { return bits; }

    void Apply(uint32_t wanted);
    // glClear of buffers, with the write masks that a clear obeys opened:
    // a frame after one that ended without depth writes must still clear.
    void Clear(uint32_t buffers);
    // Binds texture name (0 for none) to the 2-D target.
    void BindTexture(uint32_t name);
    void TextureEnvMode(int mode);
    uint32_t BoundTexture() const { return boundTexture; }
    // The stencil buffer's depth, asked once.
    int StencilBits();

    // What OpenGL holds of the tracked switches, by asking it: for checks.
    static uint32_t Query();

private:
    void Switch(uint32_t changed, uint32_t wanted);

    uint32_t baseline = 0;
    uint32_t bits = 0;
    uint32_t boundTexture = 0;
    int      envMode = 0;
    int      stencilBits = -1;
};
