#pragma once

#include <string>

#include <nlohmann/json.hpp>

// Writes a version-6 scene file from JSON of the shape tvntool info prints,
// through the classes' own Save; what the JSON leaves out takes each class's
// defaults. False, with a one-line reason in error, for JSON of the wrong
// shape (nothing is written then). Needs the OpenGL context current.
bool ComposeScene(const nlohmann::json& description, const std::string& outPath, std::string& error);
