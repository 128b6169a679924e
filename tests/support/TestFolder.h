#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder under the system's temporary folder, removed with
// everything in it when the test ends.
class CTestFolder {
public:
    CTestFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orrin-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            root = pattern;
        }
    }
    ~CTestFolder() {
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    // The folder with a trailing '/'.
    std::string Path() const { return root + "/"; }
    std::string Path(const std::string& relative) const { return root + "/" + relative; }

    // Writes a file (folders on the way are created) and returns its path.
    std::string Write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path path = Path(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string root;
};
