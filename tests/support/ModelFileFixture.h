#pragma once

#include <memory>
#include <string>

#include "image/Palettes.h"
#include "models/COGLModel.h"
#include "models/ModelFiles.h"
#include "models/SpriteBytes.h"
#include "support/Bytes.h"
#include "support/CapturedReports.h"
#include "support/GameFiles.h"
#include "support/LoadedModels.h"
#include "support/ModelRecordReader.h"
#include "support/SinFiles.h"
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
    // The file at path read into a new object of the kind its signature names.
    COGLModel& LoadKindOf(const std::string& path) {
        const ModelFileKind* kind = ModelFileKindOf(path);
        EXPECT_NE(kind, nullptr) << path;
        return Keep<COGLModel>(kind->create(), path, nullptr);
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
    // A SiN model in folder m: definition x.def with scale 2, a one-strip
    // mesh, animations idle (2 frames) and run (3), skins a.tga and b.tga.
    std::string WriteSinModel() {
        const SinFrame unit = { { 1, 1, 1 }, { 0, 0, 0 }, { { 0, 0, 0, 0 }, { 10, 0, 0, 0 }, { 0, 20, 0, 0 } } };
        SinMesh mesh;
        mesh.Group().Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 } }).End();
        folder.Write("m/model.sbm", Text(mesh.Write()));
        folder.Write("m/idle.sam", Text(SinAnimationFile({ unit, unit })));
        folder.Write("m/run.sam", Text(SinAnimationFile({ unit, unit, unit })));
        folder.Write("m/a.tga", TinyTga(2, 2, 255, 0, 0));
        folder.Write("m/b.tga", TinyTga(2, 2, 0, 0, 255));
        return folder.Write("m/x.def", SinDefinition({ "model.sbm", "scale 2", "idle.sam", "run.sam", "skin1 a.tga",
                                                       "skin2 b.tga" }));
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
