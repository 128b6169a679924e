#include "tools/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "scene/COGLScene.h"
#include "tools/CToolScene.h"

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: tvntool %s\n", usage);
    return EXIT_USAGE;
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
