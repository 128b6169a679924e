#include "app/CViewerDlg.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/CAboutDlg.h"
#include "app/CLoadErrorsDlg.h"
#include "diag/CDiagnostics.h"
#include "image/Palettes.h"
#include "platform/CMainDialogView.h"
#include "platform/CMessageBox.h"
#include "platform/CSettingsStore.h"
#include "platform/StringTable.h"
#include "platform/WindowsPath.h"
#include "scene/ModelScene.h"
#include "view/COGLView.h"

namespace {
const int MSG_SELECT_SCENE = 117;
const int defaultResolution = 2;

// "LastScene" is read back by a later start, perhaps from another folder. A
// drive path is left for the drive map; symbolic links are kept as typed.
std::string AbsoluteScenePath(const std::string& path) {
    if (path.empty() || path[0] == '/' || path[0] == '\\' || !SplitPath(path).drive.empty()) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? path : (folder / path).string();
}
}

const int CViewerDlg::resolutionWidths[resolutionCount] = { 512, 640, 640, 800, 1024 };
const int CViewerDlg::resolutionHeights[resolutionCount] = { 384, 400, 480, 600, 768 };

CViewerDlg::CViewerDlg(CSettingsStore& settings, float& gamma, std::string programFolder)
    : settings(settings), gamma(gamma), programFolder(std::move(programFolder)) {}

CViewerDlg::~CViewerDlg() = default;

void CViewerDlg::OnInitDialog(CMainDialogView& dialogWindow, const std::string& sceneArgument) {
    window = &dialogWindow;
    resolution = settings.Read(Setting::resolution);
    resolution = UsableResolution();
    shotFileType = settings.Read(Setting::shotFileType);
    jpegQuality = settings.Read(Setting::jpegQuality);
    scenePath = sceneArgument.empty() ? settings.Read(Setting::lastScene) : sceneArgument;
    shotBaseName = settings.Read(Setting::shotBaseName);
    shotFolder = settings.Read(Setting::shotFolder);
    EnsureShotFolder();
    // Rounded: truncating 1 - 0.8 in floating point would give 19, and the
    // slider would move one step each time the program starts.
    lastGammaPosition = static_cast<int>(std::lround((1.0 - gamma) * 100.0));
    PushFields();
}

void CViewerDlg::EnsureShotFolder() {
    std::error_code error;
    if (!shotFolder.empty() && std::filesystem::is_directory(ResolvePath(shotFolder), error)) {
        return;
    }
    shotFolder = programFolder + "scrnshot";
    std::filesystem::create_directory(shotFolder, error);
}

void CViewerDlg::PushFields() {
    DialogFields fields;
    fields.scenePath = scenePath;
    fields.resolution = resolution;
    fields.gammaPosition = lastGammaPosition;
    fields.shotFolder = shotFolder;
    fields.shotBaseName = shotBaseName;
    fields.shotFileType = shotFileType;
    fields.jpegQuality = jpegQuality;
    window->SetFields(fields);
}

void CViewerDlg::PullFields() {
    const DialogFields fields = window->GetFields();
    scenePath = fields.scenePath;
    resolution = fields.resolution;
    shotFolder = fields.shotFolder;
    shotBaseName = fields.shotBaseName;
    shotFileType = fields.shotFileType;
    jpegQuality = fields.jpegQuality;
}

void CViewerDlg::ApplyGammaPosition(int position) {
    if (position == lastGammaPosition) {
        return;
    }
    lastGammaPosition = position;
    gamma = 1.0f - static_cast<float>(position) * 0.01f;
    if (gamma > 0.98f) {
        gamma = 1.0f;
    }
    settings.Write(Setting::gamma, 100 - position);
    ApplyGamma(gamma);
}

int CViewerDlg::UsableResolution() const {
    // A hand-edited setting can hold any number.
    return resolution >= 0 && resolution < resolutionCount ? resolution : defaultResolution;
}

CScreenShot::Settings CViewerDlg::ShotSettings() const {
    CScreenShot::Settings shots;
    shots.folder = shotFolder;
    shots.baseName = shotBaseName;
    shots.fileType = shotFileType;
    shots.jpegQuality = jpegQuality;
    return shots;
}

void CViewerDlg::OnViewScene() {
    view.reset();
    PullFields();
    ApplyGammaPosition(window->GetFields().gammaPosition);
    if (scenePath.empty()) {
        CMessageBox::Show(GetStringResource(MSG_SELECT_SCENE));
        return;
    }
    PrepareErrorFile();
    window->GetCursorPosition(savedCursorX, savedCursorY);
    window->Hide();
    if (!CreateView()) {
        // Nothing else would bring the hidden dialog back.
        EndViewing();
        return;
    }
    if (!view->OpenScene(scenePath)) {
        EndViewing();
        CLoadErrorsDlg errors;
        errors.DoModal();
        return;
    }
    view->Show();
    // A model file is there to be seen moving.
    if (IsModelPath(scenePath)) {
        view->StartTimer();
    }
    view->Run();
    EndViewing();
}

bool CViewerDlg::CreateView() {
    const int index = UsableResolution();
    view = std::make_unique<COGLView>(settings, ShotSettings());
    if (!view->Create(resolutionWidths[index], resolutionHeights[index])) {
        view.reset();
        return false;
    }
    return true;
}

void CViewerDlg::EndViewing() {
    // A fatal error during a load that failed anyway was never taken by the
    // viewer's loop; left standing it would end the next viewing at once.
    Diagnostics().TakeEndViewingRequest();
    view.reset();
    window->Show();
    window->SetCursorPosition(savedCursorX, savedCursorY);
}

void CViewerDlg::OnOK() {
    // What the controls show now, so nothing typed since the last viewing is lost.
    PullFields();
    settings.Write(Setting::resolution, resolution);
    settings.Write(Setting::shotFileType, shotFileType);
    settings.Write(Setting::jpegQuality, jpegQuality);
    settings.Write(Setting::shotBaseName, shotBaseName);
    settings.Write(Setting::shotFolder, shotFolder);
    settings.Write(Setting::lastScene, AbsoluteScenePath(scenePath));
    window->Close();
}

void CViewerDlg::OnCancel() {
    window->Close();
}

void CViewerDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}
