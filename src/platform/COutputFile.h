#pragma once

#include <cstdio>
#include <string>

// A file the program makes for the user (a picture, a scene), written
// exactly at the path given: never through the Windows-style lookup that
// finds the files a scene names, so "SHOT.png" is never "shot.png". The bytes
// go to a fresh temporary file beside the target (mkstemp: no existing file
// or symbolic link is ever opened), which Commit renames onto the path, so
// no reader sees half a file and a failed write leaves the target as it was.
// The file gets the permissions of any newly created file (0666 less the
// umask). Not committed, the temporary is removed.
class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Makes the temporary in the target's folder. False, with the reason in
    // GetError, when the folder cannot take it.
    bool Create(const std::string& path);
    // Open for binary writing between Create and Commit; null otherwise.
    FILE* Stream() const { return stream; }
    // Writes what is buffered and renames the temporary onto the path. False
    // when a write or the rename failed; the temporary is gone either way.
    bool Commit();
    // Drops the temporary; the target is left as it was.
    void Abandon();

    const std::string& GetPath() const { return path; }
    const std::string& GetTemporaryPath() const { return temporary; }
    // Why the last Create or Commit failed ("Permission denied").
    const std::string& GetError() const { return error; }

private:
    bool Fail(int number);

    std::string path;
    std::string temporary;
    FILE*       stream = nullptr;
    std::string error;
};
