#include "objects/GlyphLists.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <deque>
#include <vector>

namespace {

struct TessVertex {
    GLdouble xyz[3];
};

// What the GLU tessellator hands back: triangles only, as corners in threes.
struct Tessellation {
    std::deque<TessVertex>         vertices;  // stable addresses, as GLU keeps pointers
    std::vector<const TessVertex*> corners;
    bool                           failed = false;
};

void GLAPIENTRY OnBegin(GLenum /*type*/, void* /*data*/) {}

void GLAPIENTRY OnVertex(void* vertex, void* data) {
    static_cast<Tessellation*>(data)->corners.push_back(static_cast<const TessVertex*>(vertex));
}

void GLAPIENTRY OnEnd(void* /*data*/) {}

// Registering it keeps GLU from making fans and strips.
void GLAPIENTRY OnEdgeFlag(GLboolean /*flag*/, void* /*data*/) {}

// Where contours cross, GLU asks for a new vertex.
void GLAPIENTRY OnCombine(GLdouble xyz[3], void* /*neighbours*/[4], GLfloat /*weights*/[4], void** out, void* data) {
    auto* tessellation = static_cast<Tessellation*>(data);
    tessellation->vertices.push_back({ { xyz[0], xyz[1], xyz[2] } });
    *out = &tessellation->vertices.back();
}

void GLAPIENTRY OnError(GLenum /*error*/, void* data) {
    static_cast<Tessellation*>(data)->failed = true;
}

// The filled face as triangles, each counter-clockwise seen from +z.
std::vector<GlyphPoint> FillTriangles(const GlyphOutline& glyph) {
    Tessellation tessellation;
    for (const std::vector<GlyphPoint>& contour : glyph.contours) {
        for (const GlyphPoint& point : contour) {
            tessellation.vertices.push_back({ { point.x, point.y, 0.0 } });
        }
    }
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr) {
        return {};
    }
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(OnBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(OnVertex));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(OnEnd));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(OnEdgeFlag));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(OnCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(OnError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    gluTessBeginPolygon(tess, &tessellation);
    size_t next = 0;
    for (const std::vector<GlyphPoint>& contour : glyph.contours) {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < contour.size(); i++, next++) {
            TessVertex& vertex = tessellation.vertices[next];
            gluTessVertex(tess, vertex.xyz, &vertex);
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);

    std::vector<GlyphPoint> triangles;
    if (tessellation.failed) {
        return triangles;
    }
    for (size_t i = 0; i + 2 < tessellation.corners.size(); i += 3) {
        GlyphPoint a = { float(tessellation.corners[i]->xyz[0]), float(tessellation.corners[i]->xyz[1]) };
        GlyphPoint b = { float(tessellation.corners[i + 1]->xyz[0]), float(tessellation.corners[i + 1]->xyz[1]) };
        GlyphPoint c = { float(tessellation.corners[i + 2]->xyz[0]), float(tessellation.corners[i + 2]->xyz[1]) };
        if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0.0f) {
            std::swap(b, c);
        }
        triangles.insert(triangles.end(), { a, b, c });
    }
    return triangles;
}

void DrawFaces(const std::vector<GlyphPoint>& triangles, float extrusion) {
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (const GlyphPoint& point : triangles) {
        glVertex3f(point.x, point.y, 0.0f);
    }
    // The back face runs the other way round, so that it faces -z.
    glNormal3f(0.0f, 0.0f, -1.0f);
    for (size_t i = triangles.size(); i-- > 0;) {
        glVertex3f(triangles[i].x, triangles[i].y, -extrusion);
    }
    glEnd();
}

// One quad per contour edge. Outer contours run counter-clockwise and holes
// clockwise, so the solid always lies to the left of an edge and its
// outward normal points right.
void DrawWalls(const GlyphOutline& glyph, float extrusion) {
    glBegin(GL_QUADS);
    for (const std::vector<GlyphPoint>& contour : glyph.contours) {
        for (size_t i = 0; i < contour.size(); i++) {
            const GlyphPoint& from = contour[i];
            const GlyphPoint& to = contour[(i + 1) % contour.size()];
            const float dx = to.x - from.x, dy = to.y - from.y;
            const float length = std::hypot(dx, dy);
            if (length == 0.0f) {
                continue;
            }
            glNormal3f(dy / length, -dx / length, 0.0f);
            glVertex3f(from.x, from.y, 0.0f);
            glVertex3f(from.x, from.y, -extrusion);
            glVertex3f(to.x, to.y, -extrusion);
            glVertex3f(to.x, to.y, 0.0f);
        }
    }
    glEnd();
}

void DrawContourLines(const GlyphOutline& glyph, float z) {
    for (const std::vector<GlyphPoint>& contour : glyph.contours) {
        glBegin(GL_LINE_LOOP);
        for (const GlyphPoint& point : contour) {
            glVertex3f(point.x, point.y, z);
        }
        glEnd();
    }
}

}  // namespace

void CompileGlyphLists(const GlyphOutline& glyph, float extrusion, uint32_t polygonList, uint32_t lineList) {
    const GlyphMetrics& metrics = glyph.metrics;
    glNewList(polygonList, GL_COMPILE);
    if (!glyph.contours.empty()) {
        DrawFaces(FillTriangles(glyph), extrusion);
        DrawWalls(glyph, extrusion);
    }
    glTranslatef(metrics.cellIncX, metrics.cellIncY, 0.0f);
    glEndList();

    glNewList(lineList, GL_COMPILE);
    glNormal3f(0.0f, 0.0f, 1.0f);
    DrawContourLines(glyph, 0.0f);
    DrawContourLines(glyph, -extrusion);
    glTranslatef(metrics.cellIncX, metrics.cellIncY, 0.0f);
    glEndList();
}
