#include "app/CViewerApp.h"

#include <cstdio>

#include "app/CViewerDlg.h"
#include "diag/CDiagnostics.h"
#include "image/Palettes.h"
#include "platform/CMainDialogWindow.h"
#include "platform/CMessageBox.h"
#include "platform/DesktopMessageBox.h"
#include "platform/CSettingsStore.h"
#include "platform/DesktopDisplay.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"

namespace {
const int MSG_NO_DEFAULT_PALETTE = 107;
const int MSG_TOO_FEW_COLOURS = 114;
const int fewestColourBits = 9;
}

int CViewerApp::InitInstance(const std::string& sceneArgument) {
    std::string reason;
    if (!OpenDesktopDisplay(reason)) {
        std::fprintf(stderr, "orrin: %s; the settings dialog needs one (tvntool works without)\n", reason.c_str());
        return 1;
    }
    UseDesktopMessageBoxes();
    if (DesktopColourDepth() < fewestColourBits) {
        CMessageBox::Show(GetStringResource(MSG_TOO_FEW_COLOURS));
        return 0;
    }
    CSettingsStore& settings = AppSettings();
    gamma = static_cast<float>(settings.Read(Setting::gamma)) * 0.01f;
    ApplyGamma(gamma);
    LoadDefaultPalette();

    CViewerDlg dialog(settings, gamma, ProgramFolder());
    CMainDialogWindow window(dialog);
    dialog.OnInitDialog(window, sceneArgument);
    window.RunModal();
    return 0;
}

void LoadDefaultPalette() {
    if (!FindDefaultPalette()) {
        CMessageBox::Show(GetStringResource(MSG_NO_DEFAULT_PALETTE));
    }
}
