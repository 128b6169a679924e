#pragma once

#include <memory>
#include <string>

class COGLObject;

// The simple objects of scene files by type code: primitives, planes and the
// billboard. Null for any other code. Needs the OpenGL context current.
std::unique_ptr<COGLObject> CreateSimpleObject(int typeCode);

// The type code of a simple object's class ("COGLBox" is 2); -1 for others.
int SimpleObjectTypeCode(const std::string& className);
