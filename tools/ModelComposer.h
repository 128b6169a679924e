#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scene/COGLScene.h"

class COGLModel;
class COGLPlayer;
class COGLSprite;
class CPakFile;
class FieldReader;

// Builds the models of a composition so that their own Save writes the
// record: the archive each names and the skins it lists are tied to a scene
// made for the purpose. The model file is read when it can be found (as
// written, or in the output's folder, where the viewer will look too), which
// checks it and resolves an animation given by name. Outlives its models.
class CModelComposer {
public:
    CModelComposer(std::vector<std::string> pakPaths, const std::string& outputPath);
    ~CModelComposer();

    // Reads the "model" fields and the chosen skin ("texture") of an object
    // node into the model; a wrong field fails the reader.
    void ReadModel(FieldReader& in, const nlohmann::json& node, COGLModel& model);

private:
    CPakFile* Archive(int index);
    COGLTexture2D* AddSkin(const std::string& skinPath, bool useDefaultPalette);
    static std::string FileSkinPath(const COGLModel& model, const std::string& skinName);
    void ReadPlayer(FieldReader& in, const nlohmann::json& fields, COGLPlayer& player, bool found);
    void ReadSprite(FieldReader& in, const nlohmann::json& fields, CPakFile* archive, const std::string& spritePath,
                    COGLSprite& sprite);

    std::vector<std::string> pakPaths;
    // Holds one archive per listed path, opened when it can be, and finds
    // the files as a load of the written scene would.
    COGLScene holder;
    // Described only: a record needs each skin's path and palette option.
    std::vector<std::unique_ptr<COGLTexture2D>> skins;
};
