// orrin: the desktop viewer. "orrin [SCENE]" opens the settings dialog, with
// SCENE in its scene field; for scripts, "orrin --view SCENE" opens the viewer
// straight away with the settings the dialog would use, and exits when the
// viewer closes. SCENE may also be a model or sprite file, or an archive
// entry "ARCHIVE.pak:entry", shown in a scene made for it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/CViewerApp.h"
#include "diag/CDiagnostics.h"
#include "image/Palettes.h"
#include "platform/CMessageBox.h"
#include "platform/DesktopMessageBox.h"
#include "platform/CSettingsStore.h"
#include "platform/DesktopDisplay.h"
#include "platform/ProgramFolder.h"
#include "platform/WindowsPath.h"
#include "scene/ModelScene.h"
#include "view/COGLView.h"
#include "view/CScreenShot.h"

namespace {

struct Resolution {
    int width;
    int height;
};

const Resolution resolutions[] = { { 512, 384 }, { 640, 400 }, { 640, 480 }, { 800, 600 }, { 1024, 768 } };

Resolution StoredResolution(const CSettingsStore& settings) {
    int index = settings.Read(Setting::resolution);
    if (index < 0 || index > 4) {
        index = Setting::resolution.defaultValue;
    }
    return resolutions[index];
}

// The stored folder when it exists, else the program folder's "scrnshot".
std::string ShotFolder(const CSettingsStore& settings) {
    std::string folder = settings.Read(Setting::shotFolder);
    std::error_code error;
    if (!folder.empty() && std::filesystem::is_directory(ResolvePath(folder), error)) {
        return folder;
    }
    folder = ProgramFolder() + "scrnshot";
    std::filesystem::create_directory(folder, error);
    return folder;
}

CScreenShot::Settings StoredShotSettings(const CSettingsStore& settings) {
    CScreenShot::Settings shots;
    shots.folder = ShotFolder(settings);
    shots.baseName = settings.Read(Setting::shotBaseName);
    shots.fileType = settings.Read(Setting::shotFileType);
    shots.jpegQuality = settings.Read(Setting::jpegQuality);
    return shots;
}

void PrintErrorFile() {
    FILE* file = std::fopen(Diagnostics().ErrorFilePath().c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        std::fwrite(buffer, 1, count, stderr);
    }
    std::fclose(file);
}

int ViewScene(const std::string& path) {
    // Without one, SDL may settle for a driver that shows nothing, and no
    // Escape could ever end the viewer.
    std::string reason;
    if (!OpenDesktopDisplay(reason)) {
        std::fprintf(stderr, "orrin: %s; the viewer needs one (tvntool works without)\n", reason.c_str());
        return 1;
    }
    UseDesktopMessageBoxes();
    CSettingsStore& settings = AppSettings();
    ApplyGamma(static_cast<float>(settings.Read(Setting::gamma)) * 0.01f);
    LoadDefaultPalette();
    PrepareErrorFile();
    const Resolution resolution = StoredResolution(settings);
    auto view = std::make_unique<COGLView>(settings, StoredShotSettings(settings));
    if (!view->Create(resolution.width, resolution.height)) {
        view.reset();
        std::fprintf(stderr, "orrin: the viewer window could not be created (see %s)\n",
                     Diagnostics().LogFilePath().c_str());
        return 1;
    }
    if (!view->OpenScene(path)) {
        view.reset();
        PrintErrorFile();
        return 1;
    }
    view->Show();
    // A model file is there to be seen moving.
    if (IsModelPath(path)) {
        view->StartTimer();
    }
    view->Run();
    view.reset();
    return 0;
}

// On standard output when asked for, on standard error after a wrong command line.
void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: orrin [SCENE]        the settings dialog, with SCENE filled in\n"
                 "       orrin --view SCENE   show a scene full screen; Escape closes it\n"
                 "       orrin --help | -h    this text\n"
                 "       orrin --version      the version\n"
                 "SCENE is a .tvn file, a model or sprite file, or ARCHIVE.pak:entry/path.\n"
                 "'man orrin' tells more, with the keys of the viewer.\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("orrin %s\n", ORRIN_VERSION);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--view") == 0) {
        return ViewScene(argv[2]);
    }
    if (argc == 1) {
        CViewerApp app;
        return app.InitInstance("");
    }
    if (argc == 2 && argv[1][0] != '-') {
        CViewerApp app;
        return app.InitInstance(argv[1]);
    }
    PrintUsage(stderr);
    return 2;
}
