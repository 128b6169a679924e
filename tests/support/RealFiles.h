#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The real files conformance tests read; a test skips when what it needs is
// absent.
inline const std::filesystem::path testData = ORRIN_TESTDATA;

// A file's bytes; none when it cannot be read.
inline std::vector<uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file under the test data's folder whose name ends as given (an
// extension, or a whole name after a '/'), sorted; none when it is absent.
inline std::vector<std::filesystem::path> TestDataFiles(const std::string& folder, const std::string& ending) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(testData / folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string path = it->path().string();
        if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}
