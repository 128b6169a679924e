#pragma once

#include <memory>
#include <span>
#include <string>

class CFile;
class COGLObject;
class COGLScene;

// One kind of object a scene file holds: its type code, the class that
// reads it, and how that class is made and reads its record.
struct ObjectKind {
    int         typeCode;
    const char* className;
    // A new object of the kind, with its defaults. Needs the OpenGL context
    // current.
    std::unique_ptr<COGLObject> (*create)();
    // Reads the record that follows the type code into object, made by
    // create. False when the scene is not to keep it (a model whose files
    // were not found).
    bool (*read)(COGLObject& object, CFile& file, int version, COGLScene& scene);
};

// Every kind, in type-code order.
std::span<const ObjectKind> ObjectKinds();
// Null for a code or a class name no kind has.
const ObjectKind* FindObjectKind(int typeCode);
const ObjectKind* FindObjectKind(const std::string& className);
