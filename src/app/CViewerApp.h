#pragma once

#include <string>

// The application: checks the display, loads the texture gamma, builds the
// gamma table and default palette, and runs the settings dialog as the main
// window. One exists, in main.
class CViewerApp {
public:
    // Returns the process's exit code: 1 when there is no display to use.
    int InitInstance(const std::string& sceneArgument);

    // Texture brightness; 1.0 leaves textures as they are.
    float gamma = 1.0f;
};

// The default palette for the viewer and the dialog alike; message 107 in a
// box when there is none.
void LoadDefaultPalette();
