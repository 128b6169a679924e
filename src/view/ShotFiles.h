#pragma once

#include <cstdio>
#include <string>

class CShotFrame;

// libjpeg quality of a quality index 0..3 ("Min", "Med", "High", "Max");
// indices outside are taken as the nearest end.
int JpegQualityOf(int qualityIndex);

// A 24-bit uncompressed BMP: the 14-byte file header, the 40-byte info
// header, then the frame's padded rows bottom-up. False if a write failed.
bool WriteBmp(const CShotFrame& frame, FILE* file);
// A baseline JPEG. A libjpeg failure is reported to the user and ends the
// writing; what was written stays in the file. False then, with libjpeg's
// message in failure.
bool WriteJpeg(const CShotFrame& frame, FILE* file, int qualityIndex, std::string& failure);
// An 8-bit RGB PNG, top row first. False if libpng failed.
bool WritePngShot(const CShotFrame& frame, FILE* file);
