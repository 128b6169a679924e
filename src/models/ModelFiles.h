#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class COGLModel;

// Every kind of model or sprite file the viewer reads, in one table: the
// signature a file starts with, the name the tool gives the kind, and the
// object class that shows it.
struct ModelFileKind {
    char        magic[4];
    const char* kind;
    std::unique_ptr<COGLModel> (*create)();
};

// The kind of a file that starts with these bytes; null for none.
const ModelFileKind* FindModelFileKind(const uint8_t* start, size_t size);
// The kind of a file on disk, read from its first bytes; null when it cannot
// be read or no kind has its signature.
const ModelFileKind* ModelFileKindOf(const std::string& path);
// Whether the name ends the way model and sprite files are named.
bool HasModelExtension(const std::string& path);
// The object that shows a file of the kind: a player for the body
// ("tris.md2") of a player folder on disk, which takes the folder's skins
// and weapons, else the kind's own class.
std::unique_ptr<COGLModel> CreateModelForFile(const ModelFileKind& kind, const std::string& path, bool inArchive);
