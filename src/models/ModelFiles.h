#pragma once

#include <memory>
#include <string>

class COGLModel;

// The model class for a file, chosen by the signature it starts with; null
// when the file cannot be read, no model kind has its signature, or its kind
// is not read yet. The model is made, not loaded. Needs the OpenGL context
// current.
std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path);

// The name of the model kind a file's signature belongs to ("MD2", "MDL",
// ...), also for kinds not read yet; null when the file cannot be read or no
// kind has its signature.
const char* ModelKindOfFile(const std::string& path);
