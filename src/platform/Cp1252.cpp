#include "platform/Cp1252.h"

namespace {

// Code points of bytes 0x80..0x9F; the five bytes Windows leaves undefined
// map to the C1 controls of the same value, as Windows converts them.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char16_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The next code point of utf8 from at, moving at past it; -1 for a broken
// sequence: a stray or impossible byte, an overlong form, a surrogate or a
// code point past U+10FFFF.
long NextCodePoint(std::string_view utf8, size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at++]);
    int extra = 0;
    long code = lead;
    if (lead >= 0xF8) {
        return -1;
    } else if (lead >= 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else if (lead >= 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if (lead >= 0x80) {
        return -1;
    }
    for (int i = 0; i < extra; i++) {
        if (at >= utf8.size() || (static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80) {
            return -1;
        }
        code = (code << 6) | (static_cast<unsigned char>(utf8[at++]) & 0x3F);
    }
    const int shortest = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    if (extra != shortest || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
        return -1;
    }
    return code;
}

int ByteOf(long code) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
        return static_cast<int>(code);
    }
    for (int i = 0; i < 32; i++) {
        if (cp1252High[i] == code) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? cp1252High[byte - 0x80] : byte;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        if (NextCodePoint(text, at) < 0) {
            return false;
        }
    }
    return true;
}

std::string RecordTextToUtf8(std::string_view text) {
    return IsUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out) {
    std::string converted;
    size_t at = 0;
    while (at < utf8.size()) {
        const int byte = ByteOf(NextCodePoint(utf8, at));
        if (byte < 0) {
            return false;
        }
        converted += static_cast<char>(byte);
    }
    out = converted;
    return true;
}
