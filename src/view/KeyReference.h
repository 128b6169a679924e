#pragma once

#include <string>
#include <vector>

// The lines F1 shows over the scene, top first: the title, every key and
// mouse button of the viewer, then the animation speed and mouse
// sensitivity in force.
std::vector<std::string> KeyReferenceLines(int timerDelayMs, float sensitivity);
