#include "tools/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "image/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "platform/CPakFile.h"
#include "platform/WindowsPath.h"
#include "scene/COGLScene.h"
#include "tools/CToolScene.h"

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: tvntool %s\n", usage);
    return EXIT_USAGE;
}

bool ReadInputAndOutput(int argc, char** argv, bool standardInput, std::string& input, std::string& output) {
    for (int i = 1; i < argc; i++) {
        const std::string argument = argv[i];
        if (argument == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (input.empty() && ((standardInput && argument == "-") || argument.empty() || argument[0] != '-')) {
            input = argument;
        } else {
            return false;
        }
    }
    return true;
}

bool WantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            return true;
        }
    }
    return false;
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "tvntool: %s\n", message.c_str());
    return code;
}

bool EndsWith(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (size_t i = 0; i < end.size(); i++) {
        const char a = static_cast<char>(std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])));
        if (a != end[i]) {
            return false;
        }
    }
    return true;
}

int Conclude(const CToolScene& loaded) {
    if (loaded.result == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;
    }
    // A screenful; check lists them all.
    constexpr int MAX_LISTED = 100;
    bool allFound = true;
    int unlisted = 0;
    for (const FileLookup& lookup : loaded.scene->fileLookups) {
        if (lookup.found) {
            continue;
        }
        allFound = false;
        const bool named = std::any_of(loaded.errors.begin(), loaded.errors.end(), [&](const std::string& text) {
            return text.find(lookup.asked) != std::string::npos;
        });
        if (named) {
            continue;
        }
        if (unlisted++ < MAX_LISTED) {
            std::fprintf(stderr, "tvntool: %s is missing from %s\n", lookup.asked.c_str(),
                         lookup.used.empty() ? "an archive that did not open" : lookup.used.c_str());
        }
    }
    if (unlisted > MAX_LISTED) {
        std::fprintf(stderr, "tvntool: %d more files are missing\n", unlisted - MAX_LISTED);
    }
    const bool clean = loaded.result == SceneOpenResult::loaded && loaded.errors.empty() && allFound;
    return clean ? EXIT_LOADED : EXIT_INCOMPLETE;
}

bool NameFailedSkins(const COGLModel& model) {
    bool allLoaded = true;
    // The skins' paths reversed and sorted: the first at or after a reversed
    // file name starts with it when any does. A file may name thousands.
    std::vector<std::string> reversedPaths;
    for (const COGLTexture2D* skin : model.Skins()) {
        if (skin != nullptr) {
            reversedPaths.emplace_back(skin->path.rbegin(), skin->path.rend());
        }
    }
    std::sort(reversedPaths.begin(), reversedPaths.end());
    for (const std::string& name : model.SkinNames()) {
        const PathParts parts = SplitPath(name);
        const std::string fileName = parts.name + parts.extension;
        const std::string reversed(fileName.rbegin(), fileName.rend());
        const auto at = std::lower_bound(reversedPaths.begin(), reversedPaths.end(), reversed);
        const bool held = at != reversedPaths.end() && at->compare(0, reversed.size(), reversed) == 0;
        if (!held) {
            Fail(EXIT_INCOMPLETE, "the skin " + name + " was not found");
            allLoaded = false;
        }
    }
    for (COGLTexture2D* skin : model.Skins()) {
        if (skin != nullptr && !skin->path.empty() && !skin->HasPicture()) {
            const std::string where = skin->source.InArchive() ? " in " + skin->source.archive->GetPath() : "";
            Fail(EXIT_INCOMPLETE, "the skin " + skin->path + where + " is not a picture the viewer reads");
            allLoaded = false;
        }
    }
    // Skins a model file holds itself (MDL) come without names.
    const size_t held = static_cast<size_t>(std::count_if(model.Skins().begin(), model.Skins().end(),
                                                          [](const COGLTexture2D* s) { return s != nullptr; }));
    return allLoaded && held >= model.SkinNames().size();
}
