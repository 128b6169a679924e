#include "scene/ObjectFactory.h"

#include "objects/COGLBillboard.h"
#include "objects/COGLBox.h"
#include "objects/COGLCeiling.h"
#include "objects/COGLCone.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLDisk.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLeftWall.h"
#include "objects/COGLPlane.h"
#include "objects/COGLRightWall.h"
#include "objects/COGLRod.h"
#include "objects/COGLSphere.h"

namespace {

struct SimpleKind {
    int         typeCode;
    const char* className;
    std::unique_ptr<COGLObject> (*create)();
};

template <typename T>
std::unique_ptr<COGLObject> Make() {
    return std::make_unique<T>();
}

const SimpleKind simpleKinds[] = {
    { 0, "COGLPlane", Make<COGLPlane> },         { 1, "COGLFloor", Make<COGLFloor> },
    { 2, "COGLBox", Make<COGLBox> },             { 3, "COGLSphere", Make<COGLSphere> },
    { 4, "COGLRightWall", Make<COGLRightWall> }, { 5, "COGLLeftWall", Make<COGLLeftWall> },
    { 6, "COGLCeiling", Make<COGLCeiling> },     { 8, "COGLRod", Make<COGLRod> },
    { 9, "COGLCylinder", Make<COGLCylinder> },   { 10, "COGLCone", Make<COGLCone> },
    { 11, "COGLDisk", Make<COGLDisk> },          { 16, "COGLBillboard", Make<COGLBillboard> },
};

}  // namespace

std::unique_ptr<COGLObject> CreateSimpleObject(int typeCode) {
    for (const SimpleKind& kind : simpleKinds) {
        if (kind.typeCode == typeCode) {
            return kind.create();
        }
    }
    return nullptr;
}

int SimpleObjectTypeCode(const std::string& className) {
    for (const SimpleKind& kind : simpleKinds) {
        if (className == kind.className) {
            return kind.typeCode;
        }
    }
    return -1;
}
