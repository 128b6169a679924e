#pragma once

#include <cstdio>
#include <string>

class CShotFrame;

// Where the viewer's screen shots go and how they are numbered: the base
// name followed by a number of at least three digits, counting on from the
// highest number already in the folder (looked up once, at the first shot).
class CScreenShot {
public:
    enum FileType { BMP = 0, JPEG = 1 };

    struct Settings {
        std::string folder;            // may be written the Windows way
        std::string baseName = "shot";
        int         fileType = JPEG;   // another value writes nothing
        int         jpegQuality = 2;   // index 0..3
    };

    explicit CScreenShot(Settings settings) : settings(std::move(settings)) {}

    // The next file name; advances the number.
    std::string MakeShotFileName();
    // The number after the highest found among the files named prefix*: the
    // three characters that start seven before the end of each name, read
    // as leading decimal digits (0 when there are none); 0 for no files.
    void FindNextShotNumber(const std::string& prefix);
    // Null when the file cannot be created; the caller closes it.
    static FILE* CreateShotFile(const std::string& fileName);
    // In the chosen file type; another type writes nothing.
    void Write(const CShotFrame& frame, FILE* file) const;

    const Settings& GetSettings() const { return settings; }
    int             shotNumber = -1;   // -1: the folder is not yet scanned

private:
    Settings settings;
};
