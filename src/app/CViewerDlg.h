#pragma once

#include <memory>
#include <string>

#include "platform/CMainDialogHandler.h"
#include "view/CScreenShot.h"

class CMainDialogView;
class COGLView;
class CSettingsStore;

// The settings dialog's logic: what it reads and stores, the gamma rules, and
// one viewing at a time. The window it drives is given; so are the settings,
// the application's gamma and the folder for the default "scrnshot" folder,
// all of which must outlive it.
class CViewerDlg : public CMainDialogHandler {
public:
    CViewerDlg(CSettingsStore& settings, float& gamma, std::string programFolder);
    ~CViewerDlg() override;
    CViewerDlg(const CViewerDlg&) = delete;
    CViewerDlg& operator=(const CViewerDlg&) = delete;

    // Reads the settings into the members and the window. A non-empty
    // sceneArgument stands in the scene field as if typed.
    void OnInitDialog(CMainDialogView& dialogWindow, const std::string& sceneArgument);

    void OnViewScene() override;
    void OnOK() override;
    void OnCancel() override;
    void OnAbout() override;
    // Deletes the viewer window and shows the dialog again.
    void EndViewing();

    static const int resolutionCount = 5;
    static const int resolutionWidths[resolutionCount];
    static const int resolutionHeights[resolutionCount];

    // Read by the viewer for its screen shots.
    CScreenShot::Settings ShotSettings() const;

    int                keepDisplayMode = 0;
    std::string        shotFolder;
    std::string        shotBaseName;
    int                shotFileType = -1;
    int                jpegQuality = -1;
    int                resolution = -1;
    std::string        scenePath;
    int                lastGammaPosition = 0;
    int                savedCursorX = 0;
    int                savedCursorY = 0;

private:
    void         PushFields();
    void         PullFields();
    void         ApplyGammaPosition(int position);
    void         EnsureShotFolder();
    int          UsableResolution() const;
    bool         CreateView();

    CSettingsStore&           settings;
    float&                    gamma;
    std::string               programFolder;
    CMainDialogView*          window = nullptr;
    std::unique_ptr<COGLView> view;
};
