#include "view/CScreenShot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/CDiagnostics.h"
#include "platform/COutputFile.h"
#include "platform/FileFinder.h"
#include "view/CShotFrame.h"
#include "view/ShotFiles.h"

std::string CScreenShot::MakeShotFileName() {
    const std::string prefix = settings.folder + "/" + settings.baseName;
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
    } else if (settings.fileType == PNG) {
        name += ".png";
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

CScreenShot::Outcome CScreenShot::TakeScreenShot(const std::function<bool(CShotFrame&)>& grab) {
    Outcome outcome;
    outcome.path = MakeShotFileName();
    COutputFile file;
    CShotFrame frame;
    if (!file.Create(outcome.path)) {
        outcome.failure = file.GetError();
    } else if (!grab(frame)) {
        outcome.failure = "the picture could not be read";
    } else if (Write(frame, file.Stream(), outcome.failure) && !file.Commit()) {
        outcome.failure = file.GetError();
    }
    if (!outcome.failure.empty()) {
        LogLine("Screen shot " + outcome.path + " not written: " + outcome.failure + "\n");
    }
    return outcome;
}

bool CScreenShot::Write(const CShotFrame& frame, FILE* file, std::string& failure) const {
    errno = 0;
    bool written = true;
    if (settings.fileType == BMP) {
        written = WriteBmp(frame, file);
    } else if (settings.fileType == JPEG) {
        written = WriteJpeg(frame, file, settings.jpegQuality, failure);
    } else if (settings.fileType == PNG) {
        written = WritePngShot(frame, file);
    }
    if (!written && failure.empty()) {
        failure = errno != 0 ? std::strerror(errno) : "the file could not be written";
    }
    return written;
}
