#include "view/CScreenShot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/FileFinder.h"
#include "platform/WindowsPath.h"
#include "view/ShotFiles.h"

std::string CScreenShot::MakeShotFileName() {
    const std::string prefix = settings.folder + "\\" + settings.baseName;
    if (shotNumber == -1) {
        FindNextShotNumber(prefix);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%03d", shotNumber);
    shotNumber += 1;
    std::string name = prefix + number;
    if (settings.fileType == BMP) {
        name += ".bmp";
    } else if (settings.fileType == JPEG) {
        name += ".jpg";
    }
    return name;
}

void CScreenShot::FindNextShotNumber(const std::string& prefix) {
    int highest = -1;
    for (const FoundFile& found : FindFiles(prefix + "*")) {
        if (found.name.size() > 7) {
            const std::string digits = found.name.substr(found.name.size() - 7, 3);
            highest = std::max(highest, std::atoi(digits.c_str()));
        }
    }
    shotNumber = highest + 1;
}

FILE* CScreenShot::CreateShotFile(const std::string& fileName) {
    return std::fopen(ResolvePath(fileName).c_str(), "wb");
}

void CScreenShot::Write(const CShotFrame& frame, FILE* file) const {
    if (settings.fileType == BMP) {
        WriteBmp(frame, file);
    } else if (settings.fileType == JPEG) {
        WriteJpeg(frame, file, settings.jpegQuality);
    }
}
