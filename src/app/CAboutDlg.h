#pragma once

#include <string>
#include <vector>

// The About box: the product, its version and the notices owed.
class CAboutDlg {
public:
    static const char* const caption;
    static std::vector<std::string> Lines();

    void DoModal();
};
