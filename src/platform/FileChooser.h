#pragma once

#include <string>

// The desktop's file chooser, modal, for a scene, model or sprite file to
// open, starting in the folder of start when it names one. True with the
// chosen path; false when the user cancelled.
bool ChooseFileToOpen(const std::string& start, std::string& chosen);
