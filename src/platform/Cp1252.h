#pragma once

#include <string>
#include <string_view>

// Text in scene and model files is Windows-1252: names, paths and the words
// of 3-D text.

// The Unicode code point of one Windows-1252 byte.
char16_t Cp1252ToUnicode(unsigned char byte);
// Bytes 128..255 read as Windows-1252 and written as UTF-8; ASCII unchanged.
std::string Cp1252ToUtf8(std::string_view text);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF); Utf8ToCp1252 reads only such text.
bool IsUtf8(std::string_view text);
// Record text for showing: kept when it is UTF-8 already (as tvntool composes
// it), else read as Windows-1252 (as the Windows editor wrote it).
std::string RecordTextToUtf8(std::string_view text);
// The other way; false when the text is not UTF-8 or holds a character
// Windows-1252 has no byte for.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);
