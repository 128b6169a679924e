#include "app/CLoadErrorsDlg.h"

#include <fstream>
#include <sstream>

#include "diag/CDiagnostics.h"
#include "platform/TextDialogs.h"

std::string CLoadErrorsDlg::ReadErrorFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void CLoadErrorsDlg::DoModal() {
    text = ReadErrorFile(Diagnostics().ErrorFilePath());
    ShowTextListWindow("Errors ", "The following errors occured while trying to load the scene.", text);
}
