#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "diag/LoadMessages.h"
#include "platform/CAssetSource.h"

// Base of the parsed data of each kind of model file: what a file holds,
// holding no OpenGL names and never changed once parsed.
class CModelData {
public:
    virtual ~CModelData() = default;
};

// One file read as one kind of model, in one way (variant: the kind's type
// code, and what it reads differently, such as recomputed normals).
struct ModelKey {
    AssetId source;
    int32_t variant = 0;

    bool operator==(const ModelKey& other) const { return source == other.source && variant == other.variant; }
};

struct ModelKeyHash {
    size_t operator()(const ModelKey& key) const {
        return AssetIdHash()(key.source) * 31u + static_cast<size_t>(key.variant);
    }
};

// What reading a model file gave: its data, or none when it is no model of
// the kind, and what the reading had to tell the user.
struct ParsedModel {
    std::shared_ptr<const CModelData> data;
    LoadMessages messages;
};

// The model files of one scene, each read and parsed once and shared by
// every object that shows it; a file that failed is remembered too, with
// its messages, so that each object naming it can tell them again.
class CModelCache {
public:
    // The parsed model of key, made by parse the first time it is asked for.
    const ParsedModel& FindOrParse(const ModelKey& key, const std::function<ParsedModel()>& parse) {
        const auto found = models.find(key);
        if (found != models.end()) {
            return found->second;
        }
        return models.emplace(key, parse()).first->second;
    }
    size_t Size() const { return models.size(); }

private:
    std::unordered_map<ModelKey, ParsedModel, ModelKeyHash> models;
};
