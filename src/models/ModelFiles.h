#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class COGLModel;

// The model class for a file, chosen by the signature it starts with; null
// when the file cannot be read, no model kind has its signature, or its kind
// is not read yet. The model is made, not loaded. Needs the OpenGL context
// current.
std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path);

// The same for the first size bytes of a file (an archive entry's).
std::unique_ptr<COGLModel> CreateModelForStart(const uint8_t* start, size_t size);

// The name of the model kind a file's signature belongs to ("MD2", "MDL",
// ...), also for kinds not read yet; null when the file cannot be read or no
// kind has its signature.
const char* ModelKindOfFile(const std::string& path);
