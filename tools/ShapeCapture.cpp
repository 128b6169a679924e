#include "tools/ShapeCapture.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "objects/COGLObject.h"

namespace {

// A feedback vertex of GL_3D_COLOR_TEXTURE in RGBA mode: window x, y, z,
// the colour, then s, t, r, q.
constexpr size_t VERTEX_FLOATS = 3 + 4 + 4;
constexpr size_t TEXTURE_AT = 7;
// The window the shape is mapped onto: large, so that window coordinates
// keep every bit a float has for the shape.
constexpr int WINDOW_SIZE = 4096;
// The first pass looks this far from the origin; each next one maps the
// extent the last found onto the window, until it no longer shrinks. A
// primitive that reaches out of the box is dropped, not cut, so the box
// may never start small.
constexpr double SEARCH_EXTENT = 1.0e19;
constexpr int    MOST_PASSES = 8;

struct Box {
    double low[3];
    double high[3];
};

// The corners of the triangles drawn, VERTEX_FLOATS each, polygons split
// into fans and window coordinates turned back into the box's space. False
// when more than maxVertices were drawn.
bool Feedback(const std::function<void()>& draw, const Box& box, size_t maxVertices, std::vector<float>& corners) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(box.low[0], box.high[0], box.low[1], box.high[1], -box.high[2], -box.low[2]);
    glMatrixMode(GL_MODELVIEW);
    // Each polygon is a token and a count before its vertices.
    const size_t most = maxVertices * (VERTEX_FLOATS + 1) + 64;
    std::vector<float> buffer(std::min<size_t>(most, size_t(1) << 16));
    GLint used = -1;
    for (;;) {
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        glPushMatrix();
        draw();
        glPopMatrix();
        used = glRenderMode(GL_RENDER);
        if (used >= 0 || buffer.size() >= most) {
            break;
        }
        buffer.assign(std::min(most, buffer.size() * 2), 0.0f);
    }
    if (used < 0) {
        return false;
    }
    corners.clear();
    const auto vertexAt = [&](size_t at) {
        float vertex[VERTEX_FLOATS];
        std::memcpy(vertex, &buffer[at], sizeof vertex);
        for (int axis = 0; axis < 2; axis++) {
            vertex[axis] = static_cast<float>(box.low[axis] + double(vertex[axis]) / WINDOW_SIZE *
                                                                  (box.high[axis] - box.low[axis]));
        }
        vertex[2] = static_cast<float>(box.high[2] - double(vertex[2]) * (box.high[2] - box.low[2]));
        corners.insert(corners.end(), vertex, vertex + VERTEX_FLOATS);
    };
    const size_t end = static_cast<size_t>(used);
    for (size_t at = 0; at < end;) {
        const auto token = static_cast<GLenum>(buffer[at++]);
        size_t vertices = 0;
        if (token == GL_POLYGON_TOKEN && at < end) {
            vertices = static_cast<size_t>(buffer[at++]);
            for (size_t i = 2; i < vertices && at + vertices * VERTEX_FLOATS <= end; i++) {
                vertexAt(at);
                vertexAt(at + (i - 1) * VERTEX_FLOATS);
                vertexAt(at + i * VERTEX_FLOATS);
            }
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            vertices = 2;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            at++;
        } else {
            vertices = 1;   // a point, bitmap or pixel rectangle
        }
        at += vertices * VERTEX_FLOATS;
        if (corners.size() / VERTEX_FLOATS > maxVertices) {
            return false;
        }
    }
    return true;
}

// Whether any side of inner is less than half that side of outer.
bool ShrinksFrom(const Box& inner, const Box& outer) {
    for (int axis = 0; axis < 3; axis++) {
        if (inner.high[axis] - inner.low[axis] < 0.5 * (outer.high[axis] - outer.low[axis])) {
            return true;
        }
    }
    return false;
}

// The extent of the corners, found within search, widened a little so that
// none is clipped when the next pass maps it onto the window; a flat side
// gets some depth.
Box ExtentOf(const std::vector<float>& corners, const Box& search) {
    Box box = { { 0.0, 0.0, 0.0 }, { 0.0, 0.0, 0.0 } };
    for (int axis = 0; axis < 3; axis++) {
        box.low[axis] = box.high[axis] = corners[static_cast<size_t>(axis)];
    }
    for (size_t at = 0; at < corners.size(); at += VERTEX_FLOATS) {
        for (size_t axis = 0; axis < 3; axis++) {
            box.low[axis] = std::min<double>(box.low[axis], corners[at + axis]);
            box.high[axis] = std::max<double>(box.high[axis], corners[at + axis]);
        }
    }
    for (int axis = 0; axis < 3; axis++) {
        // The pass is off by a few float steps of its window, far less
        // than this.
        const double margin =
            0.01 * (box.high[axis] - box.low[axis]) + 1.0e-5 * (search.high[axis] - search.low[axis]);
        box.low[axis] -= margin;
        box.high[axis] += margin;
    }
    return box;
}

void UseNormalMapGeneration() {
    for (GLenum coordinate : { GL_S, GL_T, GL_R }) {
        glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
    }
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glEnable(GL_NORMALIZE);
}

void UseObjectLinearGeneration() {
    COGLObject::SetObjectLinearTexGen();
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

// What every pass starts from: filled polygons, front and back, unlit,
// texture coordinates passed through, no generation. Texture coordinates
// are generated only for a unit with a complete texture bound.
void SetCaptureState(GLuint texture) {
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (GLenum generation : { GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q }) {
        glDisable(generation);
    }
    glViewport(0, 0, WINDOW_SIZE, WINDOW_SIZE);
    glDepthRange(0.0, 1.0);
}

using VertexKey = std::array<uint32_t, 8>;

struct VertexKeyHash {
    size_t operator()(const VertexKey& key) const {
        size_t hash = 0;
        for (uint32_t word : key) {
            hash = hash * 1000003u ^ word;
        }
        return hash;
    }
};

// The corners as indexed triangles, equal vertices shared; triangles that
// come to repeat a vertex draw nothing and are dropped.
void IndexCorners(const std::vector<float>& corners, const std::vector<float>* normalCorners, CapturedShape& shape) {
    std::unordered_map<VertexKey, uint32_t, VertexKeyHash> known;
    std::vector<uint32_t> triangle;
    for (size_t at = 0; at < corners.size(); at += VERTEX_FLOATS) {
        float vertex[8] = { corners[at], corners[at + 1], corners[at + 2], 0.0f, 0.0f, 0.0f, 0.0f, 0.0f };
        if (normalCorners != nullptr) {
            const float* n = &(*normalCorners)[at + TEXTURE_AT];
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (int i = 0; i < 3; i++) {
                vertex[3 + i] = length > 0.0f ? n[i] / length : (i == 2 ? 1.0f : 0.0f);
            }
        }
        const float q = corners[at + TEXTURE_AT + 3];
        const float divisor = q != 0.0f && std::isfinite(q) ? q : 1.0f;
        vertex[6] = corners[at + TEXTURE_AT] / divisor;
        vertex[7] = corners[at + TEXTURE_AT + 1] / divisor;
        VertexKey key;
        std::memcpy(key.data(), vertex, sizeof vertex);
        const auto [place, added] = known.emplace(key, static_cast<uint32_t>(shape.VertexCount()));
        if (added) {
            shape.positions.insert(shape.positions.end(), vertex, vertex + 3);
            if (normalCorners != nullptr) {
                shape.normals.insert(shape.normals.end(), vertex + 3, vertex + 6);
            }
            shape.texCoords.insert(shape.texCoords.end(), vertex + 6, vertex + 8);
        }
        triangle.push_back(place->second);
        if (triangle.size() == 3) {
            if (triangle[0] != triangle[1] && triangle[1] != triangle[2] && triangle[0] != triangle[2]) {
                shape.indices.insert(shape.indices.end(), triangle.begin(), triangle.end());
            }
            triangle.clear();
        }
    }
}

}  // namespace

CapturedShape CaptureShape(const std::function<void()>& draw, const CaptureOptions& options) {
    CapturedShape shape;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum stack : { GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW }) {
        glMatrixMode(stack);
        glPushMatrix();
        glLoadIdentity();
    }
    glTranslatef(0.0f, 0.0f, options.zShift);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t texel[4] = { 255, 255, 255, 255 };
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    SetCaptureState(texture);

    if (options.objectLinearTexCoords) {
        UseObjectLinearGeneration();
    }
    std::vector<float> corners, normalCorners;
    bool fits = true;
    Box box = { { -SEARCH_EXTENT, -SEARCH_EXTENT, -SEARCH_EXTENT }, { SEARCH_EXTENT, SEARCH_EXTENT, SEARCH_EXTENT } };
    for (int pass = 0; pass < MOST_PASSES; pass++) {
        fits = Feedback(draw, box, options.maxVertices, corners);
        if (!fits || corners.empty()) {
            break;
        }
        // Read within a box at most twice the size it needed: as exact as
        // a float holds them.
        const Box extent = ExtentOf(corners, box);
        if (!ShrinksFrom(extent, box)) {
            break;
        }
        box = extent;
    }
    if (fits && !corners.empty()) {
        SetCaptureState(texture);
        UseNormalMapGeneration();
        fits = Feedback(draw, box, options.maxVertices, normalCorners);
    }
    shape.tooLarge = !fits;
    if (fits) {
        IndexCorners(corners, normalCorners.size() == corners.size() ? &normalCorners : nullptr, shape);
    }

    for (GLenum stack : { GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW }) {
        glMatrixMode(stack);
        glPopMatrix();
    }
    glPopAttrib();
    glDeleteTextures(1, &texture);
    return shape;
}
