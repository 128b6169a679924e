#pragma once

// Every persistent setting with its section, key and default. The "VWep"
// section belongs to the TAV editor; the viewer only reads it. "Drives" maps
// Windows drive letters to folders (key "C", value "/home/me/windows-c").
struct IntSetting {
    const char* section;
    const char* key;
    int         defaultValue;
};

struct StringSetting {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace Setting {
inline constexpr IntSetting    gamma            { "3dfx", "Gamma", 100 };
inline constexpr IntSetting    resolution       { "3dfx", "Resolution", 2 };
// 0 BMP, 1 JPEG (the scene editor's two), 2 PNG (ours, stored only when chosen).
inline constexpr IntSetting    shotFileType     { "3dfx", "SSFileType", 1 };
inline constexpr IntSetting    jpegQuality      { "3dfx", "SSJPGQuality", 2 };
inline constexpr StringSetting lastScene        { "3dfx", "LastScene", "" };
inline constexpr StringSetting shotBaseName     { "3dfx", "SSBaseFileName", "shot" };
inline constexpr StringSetting shotFolder       { "3dfx", "SSBasePath", "" };
inline constexpr IntSetting    mouseSensitivity { "3dfx", "MouseSensitivity", 3 };
inline constexpr IntSetting    timerDelay       { "3dfx", "TimerDelay", 60 };
inline constexpr IntSetting    grid             { "Settings", "Grid", 0 };
inline constexpr IntSetting    axis             { "Settings", "Axis", 0 };
inline constexpr IntSetting    vwepEnabled      { "VWep", "Enabled", 0 };
inline constexpr StringSetting vwepPakFile      { "VWep", "VWepPakFile", "" };
inline constexpr StringSetting ctfPakFile       { "VWep", "CTFPakFile", "" };

inline constexpr const char*   drivesSection = "Drives";
}
