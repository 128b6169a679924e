#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <GL/gl.h>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"

// Once per process: reports kept off the screen and out of files. Enough for
// the harnesses that read, which need no OpenGL.
inline void SetUpReading() {
    static const bool done = [] {
        CMessageBox::SetBackend(CMessageBox::discard);
        Diagnostics().SetFolder("");
        return true;
    }();
    (void)done;
}

// Once per process: a current OpenGL context for the harnesses that draw,
// and reports kept off the screen and out of files. Without a context every
// run would pass without testing anything, so that aborts.
inline void SetUpFuzzing() {
    static const COffscreenContext* context = [] {
        auto* created = new COffscreenContext;  // lives as long as the process
        if (!created->Create(64, 64)) {
            std::abort();
        }
        CMessageBox::SetBackend(CMessageBox::discard);
        Diagnostics().SetFolder("");
        return created;
    }();
    (void)context;
}

// One input's run: the set-up above first, and a finish of what it drew last.
// The software renderer queues drawing until a finish and keeps the queue's
// memory from one input to the next, which libFuzzer takes for global state
// that grows: it would stop checking each input for leaks.
class CFuzzRun {
public:
    CFuzzRun() { SetUpFuzzing(); }
    ~CFuzzRun() { glFinish(); }
    CFuzzRun(const CFuzzRun&) = delete;
    CFuzzRun& operator=(const CFuzzRun&) = delete;
};

// A folder of the process's own under the temporary folder, for readers that
// take their input by name: made on first use, its files rewritten for each
// input, removed with them when the process exits.
class CFuzzFolder {
public:
    CFuzzFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orrin-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path = pattern + "/";
    }
    ~CFuzzFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

    std::string path;
};

// The folder, with a trailing '/'.
inline const std::string& FuzzFolder() {
    static const CFuzzFolder folder;
    return folder.path;
}

// Writes name (folders on the way made) in the folder and returns its path. A
// file that cannot be written would leave the reader nothing to test: abort.
inline std::string WriteFuzzFile(const std::string& name, const void* data, size_t size) {
    const std::filesystem::path path = FuzzFolder() + name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    return path.string();
}

inline std::string WriteFuzzFile(const std::string& name, const std::string& bytes) {
    return WriteFuzzFile(name, bytes.data(), bytes.size());
}
