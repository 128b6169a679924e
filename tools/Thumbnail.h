#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A small picture of a scene or model file for file managers: what the viewer
// shows first, a model square in the scene made for it, a scene at the
// viewer's 4:3, at most size pixels a side. Drawn at twice the size and
// averaged down, so edges come out smooth.
struct Thumbnail {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows bottom first, as OpenGL reads them
};

constexpr int MIN_THUMBNAIL_SIZE = 8;
constexpr int MAX_THUMBNAIL_SIZE = 1024;

// False, with a one-line reason in error, when there is no OpenGL context or
// the file is no scene or model the viewer shows (the loader's messages go
// to its report listener). A file that loaded with missing parts still gives
// a picture. Makes and ends its own offscreen context.
bool MakeThumbnail(const std::string& path, int size, Thumbnail& out, std::string& error);
