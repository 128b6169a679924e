#include "platform/ProgramIcon.h"

#include <algorithm>
#include <cmath>

namespace {

struct Point {
    float x, y;
};

struct Colour {
    float r, g, b, a;
};

// Which side of the line a-b the point lies on.
float Side(Point a, Point b, Point p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

bool InTriangle(Point a, Point b, Point c, Point p) {
    const float ab = Side(a, b, p), bc = Side(b, c, p), ca = Side(c, a, p);
    return (ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0);
}

bool InRoundedSquare(Point p, float margin, float radius) {
    const float low = margin + radius, high = 1.0f - margin - radius;
    const float dx = std::max({ low - p.x, 0.0f, p.x - high });
    const float dy = std::max({ low - p.y, 0.0f, p.y - high });
    return dx * dx + dy * dy <= radius * radius;
}

Colour Over(Colour top, Colour under) {
    const float a = top.a + under.a * (1.0f - top.a);
    if (a <= 0.0f) {
        return { 0, 0, 0, 0 };
    }
    const auto mix = [&](float t, float u) { return (t * top.a + u * under.a * (1.0f - top.a)) / a; };
    return { mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), a };
}

// The picture at one point of the unit square, y downwards.
Colour Sample(Point p) {
    if (!InRoundedSquare(p, 0.03f, 0.2f)) {
        return { 0, 0, 0, 0 };
    }
    Colour colour = { 0.2f - 0.13f * p.y, 0.25f - 0.16f * p.y, 0.38f - 0.23f * p.y, 1.0f };
    // The crystal's shadow on the floor.
    const float ex = (p.x - 0.52f) / 0.3f, ey = (p.y - 0.85f) / 0.07f;
    if (ex * ex + ey * ey <= 1.0f) {
        colour = Over({ 0.02f, 0.02f, 0.05f, 0.55f }, colour);
    }
    // An octahedron seen from a little above: four facets around the
    // corner that points at the viewer, lit from the upper left.
    const Point top{ 0.5f, 0.09f }, bottom{ 0.5f, 0.8f }, left{ 0.21f, 0.43f }, right{ 0.79f, 0.43f };
    const Point front{ 0.57f, 0.49f };
    const struct {
        Point a, b, c;
        Colour colour;
    } facets[] = {
        { top, left, front, { 1.0f, 0.86f, 0.45f, 1.0f } },
        { top, front, right, { 0.92f, 0.66f, 0.22f, 1.0f } },
        { left, bottom, front, { 0.76f, 0.47f, 0.15f, 1.0f } },
        { front, bottom, right, { 0.55f, 0.32f, 0.1f, 1.0f } },
    };
    for (const auto& facet : facets) {
        if (InTriangle(facet.a, facet.b, facet.c, p)) {
            return facet.colour;
        }
    }
    return colour;
}

}  // namespace

std::vector<uint8_t> DrawProgramIcon(int size) {
    size = std::clamp(size, 1, 1024);
    constexpr int SAMPLES = 4;  // a side, for smooth edges
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SAMPLES; sy++) {
                for (int sx = 0; sx < SAMPLES; sx++) {
                    const Point p{ (x + (sx + 0.5f) / SAMPLES) / size, (y + (sy + 0.5f) / SAMPLES) / size };
                    const Colour c = Sample(p);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            uint8_t* out = &pixels[(static_cast<size_t>(y) * size + x) * 4];
            const auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
            out[0] = a > 0 ? byte(r / a) : 0;
            out[1] = a > 0 ? byte(g / a) : 0;
            out[2] = a > 0 ? byte(b / a) : 0;
            out[3] = byte(a / (SAMPLES * SAMPLES));
        }
    }
    return pixels;
}
