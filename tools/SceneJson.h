#pragma once

#include <nlohmann/json.hpp>

class COGLLight;
class COGLObject;
class COGLScene;
class CToolScene;

// What tvntool info prints: a loaded scene as JSON, in the shape tvntool
// compose reads back. Floats are written as their shortest exact decimal;
// texts are UTF-8 whichever way the record holds them.
nlohmann::ordered_json DescribeScene(const CToolScene& loaded);
// Every string of a description as UTF-8: record texts the Windows editor
// wrote are Windows-1252, and JSON must not carry them raw.
void RecordTextsToUtf8(nlohmann::ordered_json& description);
nlohmann::ordered_json DescribeObject(const COGLObject& object, const COGLScene& scene);
nlohmann::ordered_json DescribeLight(const COGLLight& light);
class COGLModel;
// A model's own part: its file, animations, animation state and skins.
nlohmann::ordered_json DescribeModel(const COGLModel& model);
class COGLSprite;
// A sprite's own part: its file, animation state, roll, render mode and
// frames (the pictures it names, or the titles of the frames it holds).
nlohmann::ordered_json DescribeSprite(const COGLSprite& sprite);
