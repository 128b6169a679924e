#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "models/CModelResources.h"
#include "platform/CFile.h"
#include "support/Bytes.h"

// Reads one model record into a new model kept in models; the record must
// be read exactly to its end.
template <typename Model>
Model& ReadModelRecord(std::vector<std::unique_ptr<Model>>& models, const Bytes& record, CModelResources& scene,
                       int version = 6) {
    models.push_back(std::make_unique<Model>());
    CFile file;
    EXPECT_TRUE(file.OpenMemory(record.bytes.data(), record.Size()));
    models.back()->LoadModel(file, version, scene);
    EXPECT_EQ(file.GetPosition(), record.Size());
    return *models.back();
}
