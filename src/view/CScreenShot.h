#pragma once

#include <cstdio>
#include <functional>
#include <string>

class CShotFrame;

// Where the viewer's screen shots go and how they are numbered: the base
// name followed by a number of at least three digits, counting on from the
// highest number already in the folder (looked up once, at the first shot).
class CScreenShot {
public:
    enum FileType { BMP = 0, JPEG = 1 };

    struct Settings {
        std::string folder;            // written to exactly as given
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
    // F12: the next numbered file, made first (see COutputFile), then the
    // picture from grab (false: no picture, nothing written) written into
    // it. A file that cannot be made or written is reported to the user and
    // logged, and the viewer goes on. True when the shot was written.
    bool TakeScreenShot(const std::function<bool(CShotFrame&)>& grab);
    // In the chosen file type; another type writes nothing. False when a
    // write failed (a libjpeg failure has been reported).
    bool Write(const CShotFrame& frame, FILE* file) const;

    const Settings& GetSettings() const { return settings; }
    int             shotNumber = -1;   // -1: the folder is not yet scanned

private:
    Settings settings;
};
