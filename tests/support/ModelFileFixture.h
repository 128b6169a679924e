#pragma once

#include <memory>
#include <string>

#include "image/Palettes.h"
#include "models/COGLModel.h"
#include "models/ModelFiles.h"
#include "support/Bytes.h"
#include "support/CapturedReports.h"
#include "support/GameFiles.h"
#include "support/LoadedModels.h"
#include "support/ModelRecordReader.h"
#include "support/TestFolder.h"

// A GL test that writes model files into a folder of its own and reads them
// into objects of one scene, as the scene reads the files it names. Pictures
// are decoded as their palettes say (gamma 1).
class CModelFileFixture : public CModelFixture<COGLModel> {
protected:
    void SetUp() override {
        CModelFixture::SetUp();
        ApplyGamma(1.0f);
    }
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
    template <typename Model>
    Model& Load(const std::string& name, const std::string& file) {
        return LoadPath<Model>(folder.Write(name, file));
    }
    // A record read into a new Model, as ReadModelRecord does.
    template <typename Model>
    Model& ReadAs(const Bytes& record, int version = 6) {
        std::vector<std::unique_ptr<Model>> one;
        Model& model = ReadModelRecord(one, record, *scene, version);
        models.push_back(std::move(one.back()));
        return model;
    }
    void Redraw(COGLModel& model) {
        Clear();
        model.Draw(State(), DRAW_MATERIAL);
    }
    static void Tick(COGLModel& model, int times) {
        for (int i = 0; i < times; i++) model.Animate();
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
