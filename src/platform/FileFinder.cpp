#include "platform/FileFinder.h"

#include <algorithm>

#include "platform/AsciiText.h"
#include "platform/CSettingsStore.h"
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

std::vector<FoundFile> FindFiles(const std::string& pattern, CPathResolver& resolver) {
    const PathParts parts = SplitPath(pattern);
    const std::string namePattern = parts.name + parts.extension;
    std::string folder = parts.drive + parts.folder;
    if (!folder.empty()) {
        folder = resolver.Resolve(folder);
        if (folder.back() != '/') {
            folder += '/';
        }
    }

    std::vector<FoundFile> found;
    for (const CPathResolver::Entry& entry : resolver.List(folder)) {
        if (entry.regularFile && MatchesWildcard(entry.name, namePattern)) {
            found.push_back({ folder + entry.name, entry.name, entry.name.substr(0, entry.name.rfind('.')) });
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
        return PrecedesInWindowsOrder(a.name, b.name);
    });
    return found;
}

std::vector<FoundFile> FindFiles(const std::string& pattern) {
    CPathResolver resolver(AppSettings());
    return FindFiles(pattern, resolver);
}
