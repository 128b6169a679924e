#pragma once

#include <string>
#include <vector>

// One thing a load has to tell the user.
struct LoadReportEntry {
    int         number = 0;   // a text of the string table, or 0
    std::string text;         // the words the user sees
    std::string file;         // the file it concerns, empty when not known
    // Shown in a message box alone; otherwise also written to "errors.txt".
    bool        boxOnly = false;
    // The viewer cannot go on after it (out of memory).
    bool        endsViewing = false;
};

// What a load has to tell the user, in the order it happened. The scene
// gathers it; the programs tell it, each in its own way.
using LoadReport = std::vector<LoadReportEntry>;

// Tells each entry as the viewer does: a message box, and "errors.txt"
// unless the entry is for a box alone; an entry that ends viewing asks for
// the end of viewing.
void TellLoadReport(const LoadReport& report);
