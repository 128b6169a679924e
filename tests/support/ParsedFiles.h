#pragma once

#include <memory>
#include <string>

#include "diag/LoadMessages.h"
#include "models/CModelCache.h"
#include "platform/CAssetSource.h"
#include "platform/CSettingsStore.h"

// What reader tests need around the parse functions: an asset source of
// their own for the files a model names, the data as its kind, and the
// messages as the user would read them.

// A load's asset source without a scene folder: files are found as named.
inline std::unique_ptr<CAssetSource> TestAssets() {
    return std::make_unique<CAssetSource>("", AppSettings());
}

template <typename Data>
std::shared_ptr<const Data> DataOf(const ParsedModel& parsed) {
    return std::static_pointer_cast<const Data>(parsed.data);
}

// Every message's text, in order.
inline std::string MessageTexts(const LoadMessages& messages) {
    std::string texts;
    for (const LoadMessage& message : messages) {
        texts += message.Text();
    }
    return texts;
}
