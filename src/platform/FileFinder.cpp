#include "platform/FileFinder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/WindowsPath.h"

bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    if (pattern == "*.*") {
        return true;
    }
    // Greedy match with one backtrack point: linear enough for file names
    // and never recursive, whatever a pattern holds.
    size_t n = 0, p = 0;
    size_t starPattern = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || ToUpperAscii(pattern[p]) == ToUpperAscii(name[n]))) {
            n++;
            p++;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern != std::string::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        p++;
    }
    return p == pattern.size();
}

std::vector<FoundFile> FindFiles(const std::string& pattern) {
    const PathParts parts = SplitPath(pattern);
    const std::string namePattern = parts.name + parts.extension;
    std::string folder = parts.drive + parts.folder;
    if (!folder.empty()) {
        folder = ResolvePath(folder);
        if (folder.back() != '/') {
            folder += '/';
        }
    }

    std::vector<FoundFile> found;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code typeError;
        if (!entries->is_regular_file(typeError)) {
            continue;
        }
        const std::string name = entries->path().filename().string();
        if (!MatchesWildcard(name, namePattern)) {
            continue;
        }
        found.push_back({ folder + name, name, name.substr(0, name.rfind('.')) });
    }
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
        return PrecedesInWindowsOrder(a.name, b.name);
    });
    return found;
}
