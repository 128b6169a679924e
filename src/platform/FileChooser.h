#pragma once

#include <string>

// The desktop's file chooser, modal, for a scene, model or sprite file to
// open, starting in the folder of start when it names one. True with the
// chosen path; false when the user cancelled.
bool ChooseFileToOpen(const std::string& start, std::string& chosen);

// The chooser's filter of scene, model and sprite files. No parentheses in
// the names: FLTK's own chooser (where GTK is missing) would take them for
// the pattern and list no file.
extern const char* const OPEN_FILE_FILTER;
