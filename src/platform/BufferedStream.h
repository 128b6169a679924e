#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Buffered binary streams are plain stdio streams (fread, fwrite, fseeko,
// ftello, fclose). Reading opens them by the names scene files use, Windows
// paths included (see ResolvePath); writing takes the path exactly as given
// (files made for the user go through COutputFile). A failed open gives
// null, and so does anything but a regular file when reading.
FILE* OpenStreamForReading(const std::string& path);
// A path already resolved: opened only when it is a regular file.
FILE* OpenRegularFileForReading(const std::string& path);
// Whether the name, resolved as OpenStreamForReading does, is a regular
// file; nothing is opened.
bool  IsRegularFile(const std::string& path);
FILE* OpenStreamForWriting(const std::string& path);

// Bytes in the stream; its position is left where it was. -1 on failure.
int64_t StreamLength(FILE* stream);

struct StreamCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using StreamPtr = std::unique_ptr<FILE, StreamCloser>;
