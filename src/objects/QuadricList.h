#pragma once

#include <cstdint>

struct GLUquadric;

// Display lists shared by every object of one class: built by the first
// object, forgotten (not deleted) when the context that holds them goes.
struct SharedLists {
    uint32_t solid = 0;
    uint32_t wire = 0;

    bool IsBuilt() const { return solid != 0; }
};

// The one GLU quadric that the sphere, cylinder, rod, cone and disk lists are
// built with; made on first use and kept for the rest of the run.
GLUquadric* SharedQuadric();

// Compiles a filled and a line list from the same quadric calls, with smooth
// normals and texture coordinates. Needs the OpenGL context current.
SharedLists BuildQuadricLists(void (*shape)(GLUquadric* quadric));
