#pragma once

#include <string>
#include <vector>

#include "platform/SettingsKeys.h"

// Persistent settings in an INI file shared with the TAV editor, which keeps
// its own sections there. Every call reads the file afresh, so what the editor
// wrote while we run is seen; every write replaces the whole file through a
// temporary file and a rename, so a crash never leaves half a file, and keeps
// every line it does not change. Sections and keys match ignoring ASCII case,
// as registry names did; a string value is read back exactly as written,
// blanks included, and an integer may have blanks around it.
class CSettingsStore {
public:
    explicit CSettingsStore(std::string filePath) : filePath(std::move(filePath)) {}

    // $XDG_CONFIG_HOME/Fennwick/TAV.ini, else ~/.config/Fennwick/TAV.ini;
    // empty when neither variable gives an absolute folder.
    static std::string DefaultPath();

    // A missing or unreadable file, a missing key or a value that is not a
    // decimal 32-bit integer gives defaultValue.
    int         ReadInt(const char* section, const char* key, int defaultValue) const;
    std::string ReadString(const char* section, const char* key, const std::string& defaultValue) const;
    // False, with the file unchanged, when it cannot be replaced, when it is
    // too large to be a settings file, or when the value holds a line break.
    bool        WriteInt(const char* section, const char* key, int value);
    bool        WriteString(const char* section, const char* key, const std::string& value);

    int         Read(const IntSetting& setting) const;
    std::string Read(const StringSetting& setting) const;
    bool        Write(const IntSetting& setting, int value);
    bool        Write(const StringSetting& setting, const std::string& value);

    const std::string& GetFilePath() const { return filePath; }
    void               SetFilePath(std::string path) { filePath = std::move(path); }

private:
    enum LoadResult { loaded, missing, unusable };

    LoadResult  LoadLines(std::vector<std::string>& lines) const;
    bool        SaveLines(const std::vector<std::string>& lines) const;
    bool        FindValue(const char* section, const char* key, std::string& value) const;

    std::string filePath;
};

// The store of this process, at DefaultPath() unless pointed elsewhere.
CSettingsStore& AppSettings();
