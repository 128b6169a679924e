#pragma once

#include <filesystem>
#include <string>

#include "diag/CDiagnostics.h"
#include "diag/LoadReport.h"
#include "platform/CMessageBox.h"
#include "scene/COGLScene.h"
#include "support/TestFolder.h"

// For the life of a test: reports go to "errors.txt" and "log.txt" in a
// folder of the test's own, and message boxes stay shut; both are put back.
class CCapturedReports {
public:
    CCapturedReports() : previousFolder(Diagnostics().GetFolder()) {
        Diagnostics().SetFolder(logs.Path());
        CMessageBox::SetBackend(CMessageBox::discard);
    }
    ~CCapturedReports() {
        CMessageBox::SetBackend(CMessageBox::standardError);
        Diagnostics().SetFolder(previousFolder);
    }
    CCapturedReports(const CCapturedReports&) = delete;
    CCapturedReports& operator=(const CCapturedReports&) = delete;

    // Forgets what was reported, for the next case of a table.
    void Clear() const {
        std::filesystem::remove(Diagnostics().ErrorFilePath());
        Diagnostics().SetFolder(logs.Path());
    }
    // Everything reported so far.
    std::string Errors() const { return CTestFolder::Read(Diagnostics().ErrorFilePath()); }
    // The same, after telling what the scene's loads had to tell since last
    // asked, as the viewer tells it.
    std::string Errors(COGLScene& scene) const {
        TellLoadReport(scene.TakeLoadReport());
        return Errors();
    }
    const CTestFolder& Folder() const { return logs; }

private:
    CTestFolder logs;
    std::string previousFolder;
};
