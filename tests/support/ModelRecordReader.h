#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "models/CModelResources.h"
#include "platform/CFile.h"
#include "scene/COGLScene.h"
#include "support/Bytes.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"

// Reads one model record into a new model kept in models, within a load of
// scene as a scene file's would be; the record must be read exactly to its end.
template <typename Model>
Model& ReadModelRecord(std::vector<std::unique_ptr<Model>>& models, const Bytes& record, COGLScene& scene,
                       int version = 6) {
    models.push_back(std::make_unique<Model>());
    CFile file;
    EXPECT_TRUE(file.OpenMemory(record.bytes.data(), record.Size()));
    scene.BeginLoad("");
    models.back()->LoadModel(file, version, scene);
    scene.EndLoad();
    EXPECT_EQ(file.GetPosition(), record.Size());
    return *models.back();
}

// What the model saves is the record it was read from, from its own fields
// on (the object prefix is the object tests' to check).
template <typename Model>
void ExpectSavesBack(Model& model, const Bytes& record) {
    const std::vector<uint8_t> saved = SavedBytes([&](CFile& file) { model.Save(file, 4); });
    ASSERT_EQ(saved.size(), record.Size());
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 271, saved.end()),
              std::vector<uint8_t>(record.bytes.begin() + 271, record.bytes.end()));
}

// A GL test that keeps the models it reads and the scene they take their
// textures from.
template <typename Model>
class CModelFixture : public GLTest {
protected:
    void TearDown() override {
        models.clear();
        scene.reset();
        GLTest::TearDown();
    }

    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
    std::vector<std::unique_ptr<Model>> models;
};
