#pragma once

#include <string>
#include <vector>

class CPathResolver;

struct FoundFile {
    std::string path;    // folder and name
    std::string name;    // "shot007.bmp"
    std::string title;   // "shot007"
};

// The files of one folder whose names match the pattern's last component:
// '*' any run of characters, '?' any one, letters in either case, "*.*" any
// name at all. The folder part is a Windows or Linux path (see ResolvePath).
// Folders are not listed. The order is Windows' (PrecedesInWindowsOrder):
// scene files store indices into such lists.
std::vector<FoundFile> FindFiles(const std::string& pattern);
// The same through a resolver that lists each folder once.
std::vector<FoundFile> FindFiles(const std::string& pattern, CPathResolver& resolver);

// Exposed for tests: Windows' wildcard match, ignoring ASCII case.
bool MatchesWildcard(const std::string& name, const std::string& pattern);
