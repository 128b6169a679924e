#include <gtest/gtest.h>

#include <filesystem>

#include "app/CLoadErrorsDlg.h"
#include "app/CViewerDlg.h"
#include "diag/CDiagnostics.h"
#include "image/Palettes.h"
#include "platform/CMainDialogView.h"
#include "platform/CSettingsStore.h"
#include "support/CapturedReports.h"

namespace {

// Stands in for the window: holds what the logic pushed, gives back what a
// user would have typed.
class CFakeDialogView : public CMainDialogView {
public:
    void         SetFields(const DialogFields& newFields) override { fields = newFields; }
    DialogFields GetFields() const override { return fields; }
    void         Hide() override { shown = false; }
    void         Show() override { shown = true; }
    void         Close() override { closed = true; }
    void         GetCursorPosition(int& x, int& y) const override { x = 5; y = 6; }
    void         SetCursorPosition(int x, int y) override { cursorX = x; cursorY = y; }

    DialogFields fields;
    bool         shown = true;
    bool         closed = false;
    int          cursorX = 0;
    int          cursorY = 0;
};

class ViewerDlgTest : public ::testing::Test {
protected:
    void TearDown() override { ApplyGamma(1.0f); }

    CViewerDlg& Open(const std::string& sceneArgument = "") {
        gamma = static_cast<float>(store.Read(Setting::gamma)) * 0.01f;
        dialog.OnInitDialog(view, sceneArgument);
        return dialog;
    }

    std::string IniText() const {
        return std::filesystem::exists(iniPath) ? CTestFolder::Read(iniPath) : "";
    }

    CTestFolder     folder;
    std::string     iniPath = folder.Path("TAV.ini");
    CSettingsStore  store{ iniPath };
    float           gamma = 1.0f;
    CViewerDlg      dialog{ store, gamma, folder.Path("prog/") };
    CFakeDialogView view;
};

// Opening fills the controls from the stored values, which pass the checks
// that replace bad ones, and writes nothing; a missing shot folder gives way
// to "scrnshot", which it makes.
TEST_F(ViewerDlgTest, StoredValuesFillTheControlsAndBadOnesGiveWayToDefaults) {
    const std::string shots = folder.Path("shots");
    const std::string gone = folder.Path("gone");
    const std::string scrnshot = folder.Path("prog/scrnshot");
    std::filesystem::create_directories(shots);
    std::filesystem::create_directories(folder.Path("prog"));
    struct Case { std::string ini; int resolution; std::string shotFolder; int gammaPosition; };
    const Case cases[] = {
        { "", 2, scrnshot, 0 },   // no settings file
        { "[3dfx]\nResolution=4\nSSBasePath=" + shots + "\nGamma=80\n", 4, shots, 20 },  // truncated: 19
        { "[3dfx]\nResolution=-1\n", 2, scrnshot, 0 },
        { "[3dfx]\nResolution=5\n", 2, scrnshot, 0 },
        { "[3dfx]\nResolution=99999\n", 2, scrnshot, 0 },
        { "[3dfx]\nSSBasePath=" + gone + "\n", 2, scrnshot, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        std::filesystem::remove_all(scrnshot);
        if (!c.ini.empty()) {
            folder.Write("TAV.ini", c.ini);
        }
        Open();
        EXPECT_EQ(view.fields.resolution, c.resolution);
        EXPECT_EQ(view.fields.shotFolder, c.shotFolder);
        EXPECT_TRUE(std::filesystem::is_directory(c.shotFolder));
        EXPECT_EQ(view.fields.gammaPosition, c.gammaPosition);
        EXPECT_EQ(IniText(), c.ini);
    }
}

// With no scene, "View Scene" applies the slider and then stops at message
// 117. The setting is written only when the slider moved, so a value changed
// behind the dialog's back stays.
TEST_F(ViewerDlgTest, GammaSliderPositions) {
    struct Case { std::string ini; int position; float gamma; int stored; };
    for (const Case& c : { Case{ "", 1, 1.0f, 99 }, Case{ "", 2, 0.98f, 98 }, Case{ "", 80, 0.2f, 20 },
                           Case{ "[3dfx]\nGamma=90\n", 10, 0.9f, 55 } }) {
        SCOPED_TRACE(c.position);
        folder.Write("TAV.ini", c.ini);
        Open();
        folder.Write("TAV.ini", "[3dfx]\nGamma=55\n");
        view.fields.gammaPosition = c.position;
        testing::internal::CaptureStderr();
        dialog.OnViewScene();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Please Select a Scene file first\n");
        EXPECT_FLOAT_EQ(gamma, c.gamma);
        EXPECT_EQ(store.Read(Setting::gamma), c.stored);
        EXPECT_TRUE(view.shown);
    }
}

// The scene path as typed is made absolute against the folder the program
// runs in, through symbolic links as named, for a later start from elsewhere.
// A scene named on the command line stands in the field instead of the
// stored one.
TEST_F(ViewerDlgTest, ExitStoresTheSceneMadeAbsolute) {
    folder.Write("TAV.ini", "[3dfx]\nLastScene=/old.tvn\n");
    Open("/given.tvn");
    EXPECT_EQ(view.fields.scenePath, "/given.tvn");
    folder.Write("real/typed.tvn", "TAV2");
    std::filesystem::create_directory_symlink("real", folder.Path("link"));
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const std::string here = std::filesystem::current_path().string();
    struct Case { std::string typed; std::string stored; };
    const Case cases[] = {
        { "link/typed.tvn", here + "/link/typed.tvn" },
        { "typed.tvn", here + "/typed.tvn" },
        { "/scenes/typed.tvn", "/scenes/typed.tvn" },
        { "C:\\Scenes\\typed.tvn", "C:\\Scenes\\typed.tvn" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Open();
        view.fields.scenePath = c.typed;
        dialog.OnOK();
        EXPECT_TRUE(view.closed);
        EXPECT_EQ(store.Read(Setting::lastScene), c.stored);
        // Gamma belongs to "View Scene".
        EXPECT_EQ(IniText().find("Gamma"), std::string::npos);
    }
    std::filesystem::current_path(startFolder);
}

// Also drops the end-of-viewing request of a fatal error raised during a
// load that failed, which no viewer loop took.
TEST_F(ViewerDlgTest, EndViewingBringsTheDialogAndTheCursorBack) {
    CCapturedReports reports;
    FatalError("Out of memory");
    Open();
    dialog.savedCursorX = 300;
    dialog.savedCursorY = 200;
    view.shown = false;
    dialog.EndViewing();
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.cursorX, 300);
    EXPECT_EQ(view.cursorY, 200);
    EXPECT_FALSE(Diagnostics().TakeEndViewingRequest());
}

TEST(LoadErrorsDlgTest, ReadsTheWholeFile) {
    CTestFolder folder;
    const std::string text = "The following files could not be loaded:\r\n    a.pcx\r\n    b.md2\r\n";
    EXPECT_EQ(CLoadErrorsDlg::ReadErrorFile(folder.Write("errors.txt", text)), text);
    EXPECT_EQ(CLoadErrorsDlg::ReadErrorFile(folder.Path("missing.txt")), "");
}

} // namespace
