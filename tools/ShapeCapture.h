#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Triangles as OpenGL draws them, read back through feedback mode, so that
// an export has exactly the tessellation the viewer shows (GLU quadrics,
// display lists, glyph outlines) without drawing anything itself.
struct CapturedShape {
    std::vector<float>    positions;   // x, y, z a vertex, in the space draw starts in
    std::vector<float>    normals;     // x, y, z; empty when the passes disagreed
    std::vector<float>    texCoords;   // s, t as the lists or generation make them
    std::vector<uint32_t> indices;     // three a triangle, counter-clockwise in front
    bool                  tooLarge = false;   // more than maxVertices were drawn
    size_t VertexCount() const { return positions.size() / 3; }
};

struct CaptureOptions {
    // Texture coordinates from the object-space x and y, for shapes that
    // carry none of their own.
    bool   objectLinearTexCoords = false;
    // Moves the shape along z before it is read, in its own units.
    float  zShift = 0.0f;
    // Triangle corners drawn, at most; past it the capture gives up.
    size_t maxVertices = 1000000;
};

// Runs draw three times in feedback mode with the OpenGL context current:
// once to find its extent, once for positions and texture coordinates, once
// with normal-map generation for its normals. Leaves the context's state as
// it found it.
CapturedShape CaptureShape(const std::function<void()>& draw, const CaptureOptions& options);
