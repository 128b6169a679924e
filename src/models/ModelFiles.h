#pragma once

#include <memory>
#include <string>

class COGLModel;

// The model class for a file, chosen by the signature it starts with; null
// when the file cannot be read or no model kind has its signature. The model
// is made, not loaded. Needs the OpenGL context current.
std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path);
