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

namespace {

void ReportShotFailure(const std::string& fileName, const std::string& why) {
    LogLine("Screen shot " + fileName + " not written: " + why + "\n");
    ReportError("Could not write the screen shot " + fileName + "\r\n" + why + "\r\n");
}

}  // namespace

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

bool CScreenShot::TakeScreenShot(const std::function<bool(CShotFrame&)>& grab) {
    const std::string name = MakeShotFileName();
    COutputFile file;
    if (!file.Create(name)) {
        ReportShotFailure(name, file.GetError());
        return false;
    }
    CShotFrame frame;
    if (!grab(frame)) {
        return false;
    }
    if (!Write(frame, file.Stream())) {
        // libjpeg tells the user itself why a JPEG could not be written.
        if (settings.fileType != JPEG) {
            ReportShotFailure(name, std::strerror(errno));
        }
        return false;
    }
    if (!file.Commit()) {
        ReportShotFailure(name, file.GetError());
        return false;
    }
    return true;
}

bool CScreenShot::Write(const CShotFrame& frame, FILE* file) const {
    if (settings.fileType == BMP) {
        return WriteBmp(frame, file);
    }
    if (settings.fileType == JPEG) {
        return WriteJpeg(frame, file, settings.jpegQuality);
    }
    return true;
}
