#include "platform/CSettingsStore.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/AsciiText.h"

namespace {

// Far beyond any real settings file; anything larger is not one.
constexpr size_t maxFileSize = 1 << 20;

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool ParseSectionHeader(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    const size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

// The value is everything after the '=', blanks included: a string comes
// back as it was written.
bool ParseKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = line.substr(equals + 1);
    return !key.empty() && key.front() != ';' && key.front() != '#';
}

bool ParseInt(std::string_view text, int& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, parsed);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return false;
    }
    value = parsed;
    return true;
}

// The lines from the section's header to the line before the next header.
struct SectionSpan {
    size_t header;
    size_t end;
};

bool FindSection(const std::vector<std::string>& lines, const char* section, SectionSpan& span) {
    std::string_view name;
    for (size_t i = 0; i < lines.size(); i++) {
        if (!ParseSectionHeader(lines[i], name) || !EqualsIgnoringAsciiCase(name, section)) {
            continue;
        }
        span.header = i;
        span.end = i + 1;
        while (span.end < lines.size() && !ParseSectionHeader(lines[span.end], name)) {
            span.end++;
        }
        return true;
    }
    return false;
}

bool FindKeyLine(const std::vector<std::string>& lines, const SectionSpan& span, const char* key,
                 size_t& index) {
    std::string_view lineKey, lineValue;
    for (size_t i = span.header + 1; i < span.end; i++) {
        if (ParseKeyLine(lines[i], lineKey, lineValue) && EqualsIgnoringAsciiCase(lineKey, key)) {
            index = i;
            return true;
        }
    }
    return false;
}

void SetKey(std::vector<std::string>& lines, const char* section, const char* key,
            const std::string& value) {
    const std::string keyLine = std::string(key) + "=" + value;
    SectionSpan span;
    if (!FindSection(lines, section, span)) {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.push_back("");
        }
        // Appended rather than "[" + section + "]", which GCC 12 at -O3 flags
        // with a false -Wrestrict.
        lines.push_back(std::string("[").append(section).append("]"));
        lines.push_back(keyLine);
        return;
    }
    size_t index;
    if (FindKeyLine(lines, span, key, index)) {
        lines[index] = keyLine;
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    size_t insertAt = span.end;
    while (insertAt > span.header + 1 && Trim(lines[insertAt - 1]).empty()) {
        insertAt--;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::string CSettingsStore::DefaultPath() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return std::string(configHome) + "/Fennwick/TAV.ini";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.config/Fennwick/TAV.ini";
    }
    return {};
}

CSettingsStore::LoadResult CSettingsStore::LoadLines(std::vector<std::string>& lines) const {
    lines.clear();
    FILE* file = filePath.empty() ? nullptr : std::fopen(filePath.c_str(), "rb");
    if (file == nullptr) {
        return missing;
    }
    std::string text;
    char chunk[4096];
    size_t count;
    while (text.size() <= maxFileSize && (count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, count);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || text.size() > maxFileSize) {
        return unusable;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return loaded;
}

bool CSettingsStore::SaveLines(const std::vector<std::string>& lines) const {
    std::error_code error;
    const std::filesystem::path target(filePath);
    std::filesystem::create_directories(target.parent_path(), error);

    std::string tempPath = filePath + ".XXXXXX";
    const int descriptor = mkstemp(tempPath.data());
    if (descriptor < 0) {
        return false;
    }
    FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
        unlink(tempPath.c_str());
        return false;
    }
    bool written = true;
    for (const std::string& line : lines) {
        written = written && std::fputs(line.c_str(), file) >= 0 && std::fputc('\n', file) != EOF;
    }
    written = written && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = (std::fclose(file) == 0) && written;
    if (!written || std::rename(tempPath.c_str(), filePath.c_str()) != 0) {
        unlink(tempPath.c_str());
        return false;
    }
    return true;
}

bool CSettingsStore::FindValue(const char* section, const char* key, std::string& value) const {
    std::vector<std::string> lines;
    if (LoadLines(lines) != loaded) {
        return false;
    }
    SectionSpan span;
    size_t index;
    if (!FindSection(lines, section, span) || !FindKeyLine(lines, span, key, index)) {
        return false;
    }
    std::string_view lineKey, lineValue;
    ParseKeyLine(lines[index], lineKey, lineValue);
    value = std::string(lineValue);
    return true;
}

int CSettingsStore::ReadInt(const char* section, const char* key, int defaultValue) const {
    std::string text;
    int value;
    if (!FindValue(section, key, text) || !ParseInt(text, value)) {
        return defaultValue;
    }
    return value;
}

std::string CSettingsStore::ReadString(const char* section, const char* key,
                                       const std::string& defaultValue) const {
    std::string value;
    if (!FindValue(section, key, value)) {
        return defaultValue;
    }
    return value;
}

bool CSettingsStore::WriteInt(const char* section, const char* key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool CSettingsStore::WriteString(const char* section, const char* key, const std::string& value) {
    if (filePath.empty() || HasLineBreak(value)) {
        return false;
    }
    std::vector<std::string> lines;
    if (LoadLines(lines) == unusable) {
        return false;
    }
    SetKey(lines, section, key, value);
    return SaveLines(lines);
}

int CSettingsStore::Read(const IntSetting& setting) const {
    return ReadInt(setting.section, setting.key, setting.defaultValue);
}

std::string CSettingsStore::Read(const StringSetting& setting) const {
    return ReadString(setting.section, setting.key, setting.defaultValue);
}

bool CSettingsStore::Write(const IntSetting& setting, int value) {
    return WriteInt(setting.section, setting.key, value);
}

bool CSettingsStore::Write(const StringSetting& setting, const std::string& value) {
    return WriteString(setting.section, setting.key, value);
}

CSettingsStore& AppSettings() {
    static CSettingsStore store(CSettingsStore::DefaultPath());
    return store;
}
