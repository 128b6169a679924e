#pragma once

#include <memory>
#include <string>

#include "models/COGLModel.h"
#include "models/ModelFiles.h"
#include "support/Bytes.h"
#include "support/CapturedReports.h"
#include "support/GameFiles.h"
#include "support/LoadedModels.h"
#include "support/ModelRecordReader.h"
#include "support/TestFolder.h"

// A GL test that writes model files into a folder of its own and reads them
// into objects of one scene, as the scene reads the files it names.
class CModelFileFixture : public CModelFixture<COGLModel> {
protected:
    // The file at path (in archive when given) read into a new Model.
    template <typename Model>
    Model& LoadPath(const std::string& path, CPakFile* archive = nullptr) {
        return Keep<Model>(std::make_unique<Model>(), path, archive);
    }
    // file written as name in the folder, then read into a new object of
    // the kind its signature names.
    template <typename Model = COGLModel>
    Model& Load(const std::string& name, const Bytes& file) {
        const ModelFileKind* kind = FindModelFileKind(file.bytes.data(), file.Size());
        EXPECT_NE(kind, nullptr) << name;
        return Keep<Model>(kind->create(), folder.Write(name, Text(file)), nullptr);
    }

    CCapturedReports reports;
    CTestFolder folder;

private:
    template <typename Model>
    Model& Keep(std::unique_ptr<COGLModel> made, const std::string& path, CPakFile* archive) {
        models.push_back(std::move(made));
        Model& model = dynamic_cast<Model&>(*models.back());
        LoadModelInto(*scene, model, path, archive);
        return model;
    }
};
