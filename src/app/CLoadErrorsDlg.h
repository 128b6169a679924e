#pragma once

#include <string>

// Lists everything reported since this run first prepared "errors.txt".
class CLoadErrorsDlg {
public:
    // Reads the whole file; an unreadable file gives an empty list.
    static std::string ReadErrorFile(const std::string& path);

    void DoModal();

    std::string text;
};
