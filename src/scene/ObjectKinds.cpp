#include "scene/ObjectKinds.h"

#include "models/COGLHLModel.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLPlayer.h"
#include "models/COGLSBM.h"
#include "models/COGLSprite.h"
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
#include "objects/COGLText.h"
#include "scene/COGLScene.h"

namespace {

template <typename T>
std::unique_ptr<COGLObject> Make() {
    return std::make_unique<T>();
}

// Simple objects: the common record and the class's tail, then the texture
// the record names from the scene's table.
bool ReadObject(COGLObject& object, CFile& file, int version, COGLScene& scene) {
    const int textureIndex = object.Load(file, version);
    if (textureIndex != -1) {
        scene.SetTextureFromTable(object, textureIndex);
    }
    return true;
}

// Texts share the scene's glyphs and their lists.
bool ReadText(COGLObject& object, CFile& file, int version, COGLScene& scene) {
    static_cast<COGLText&>(object).UseGlyphCache(scene.glyphCache);
    return ReadObject(object, file, version, scene);
}

// Models read their record themselves and find their files through the scene.
bool ReadModel(COGLObject& object, CFile& file, int version, COGLScene& scene) {
    COGLModel& model = static_cast<COGLModel&>(object);
    model.LoadModel(file, version, scene);
    return model.IsLoaded();
}

const ObjectKind kinds[] = {
    { 0, "COGLPlane", Make<COGLPlane>, ReadObject },
    { 1, "COGLFloor", Make<COGLFloor>, ReadObject },
    { 2, "COGLBox", Make<COGLBox>, ReadObject },
    { 3, "COGLSphere", Make<COGLSphere>, ReadObject },
    { 4, "COGLRightWall", Make<COGLRightWall>, ReadObject },
    { 5, "COGLLeftWall", Make<COGLLeftWall>, ReadObject },
    { 6, "COGLCeiling", Make<COGLCeiling>, ReadObject },
    { 7, "COGLText", Make<COGLText>, ReadText },
    { 8, "COGLRod", Make<COGLRod>, ReadObject },
    { 9, "COGLCylinder", Make<COGLCylinder>, ReadObject },
    { 10, "COGLCone", Make<COGLCone>, ReadObject },
    { 11, "COGLDisk", Make<COGLDisk>, ReadObject },
    { 12, "COGLMD2", Make<COGLMD2>, ReadModel },
    { 13, "COGLPlayer", Make<COGLPlayer>, ReadModel },
    { 14, "COGLSBM", Make<COGLSBM>, ReadModel },
    { 15, "COGLMDL", Make<COGLMDL>, ReadModel },
    { 16, "COGLBillboard", Make<COGLBillboard>, ReadObject },
    { 17, "COGLSprite", Make<COGLSprite>, ReadModel },
    { 18, "COGLHLModel", Make<COGLHLModel>, ReadModel },
};

}  // namespace

std::span<const ObjectKind> ObjectKinds() {
    return kinds;
}

const ObjectKind* FindObjectKind(int typeCode) {
    for (const ObjectKind& kind : kinds) {
        if (kind.typeCode == typeCode) {
            return &kind;
        }
    }
    return nullptr;
}

const ObjectKind* FindObjectKind(const std::string& className) {
    for (const ObjectKind& kind : kinds) {
        if (className == kind.className) {
            return &kind;
        }
    }
    return nullptr;
}
