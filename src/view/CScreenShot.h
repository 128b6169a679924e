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
    // The settings' "SSFileType". The scene editor knows only BMP and JPEG;
    // PNG is ours and is stored only when chosen.
    enum FileType { BMP = 0, JPEG = 1, PNG = 2 };

    struct Settings {
        std::string folder;            // written to exactly as given
        std::string baseName = "shot";
        int         fileType = JPEG;   // another value writes nothing
        int         jpegQuality = 2;   // index 0..3
    };

    // What became of one shot, for the viewer to tell on screen.
    struct Outcome {
        std::string path;      // the file named for it
        std::string failure;   // why it was not written; empty when it was
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
    // it. A shot not written is logged with its reason, and the viewer goes
    // on; only libjpeg's own failures are reported to the user here.
    Outcome TakeScreenShot(const std::function<bool(CShotFrame&)>& grab);
    // In the chosen file type; another type writes nothing. False, with the
    // reason, when a write failed.
    bool Write(const CShotFrame& frame, FILE* file, std::string& failure) const;

    const Settings& GetSettings() const { return settings; }
    int             shotNumber = -1;   // -1: the folder is not yet scanned

private:
    Settings settings;
};
