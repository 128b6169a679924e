#pragma once

#include <string>

#include "models/COGLModel.h"
#include "platform/CPakFile.h"
#include "scene/COGLScene.h"

// Reads a model file into model the way a scene reads the models it names,
// within a load of scene of its own (scene keeps what the model shares:
// parsed files, skins). archive null: path is a file on disk. True when the
// file was found; model.IsLoaded() tells whether it was a valid model.
inline bool LoadModelInto(COGLScene& scene, COGLModel& model, const std::string& path,
                          CPakFile* archive = nullptr) {
    const bool ownLoad = scene.Assets() == nullptr;
    if (ownLoad) {
        scene.BeginLoad("");
    }
    model.SetResources(&scene);
    const bool found = model.LoadFrom(archive, path, false);
    if (ownLoad) {
        scene.EndLoad();
    }
    return found;
}
