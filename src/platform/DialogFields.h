#pragma once

#include <string>

// What the main dialog's controls hold, pushed into them and pulled out of
// them as one value.
struct DialogFields {
    std::string scenePath;
    int         resolution = 2;       // index into the resolution list
    int         gammaPosition = 1;    // slider, 1..80
    std::string shotFolder;
    std::string shotBaseName;
    int         shotFileType = 1;     // 0 Bitmap, 1 JPEG, 2 PNG
    int         jpegQuality = 2;      // 0 Min .. 3 Max
};
