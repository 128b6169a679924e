#include "platform/FileChooser.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>

#include <filesystem>

// Files written on Windows keep upper-case extensions as often as not, and
// model files are known by what they hold as well as by their names.
const char* const OPEN_FILE_FILTER = "TAV Scene Files\t*.{tvn,TVN}\n"
                                     "Models and sprites\t*.{md2,mdl,def,sp2,spr,MD2,MDL,DEF,SP2,SPR}\n"
                                     "All Files\t*";

bool ChooseFileToOpen(const std::string& start, std::string& chosen) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title("Open a scene or model file");
    chooser.filter(OPEN_FILE_FILTER);
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(start, error).parent_path();
    if (!error && !folder.empty()) {
        chooser.directory(folder.c_str());
    }
    const bool picked = chooser.show() == 0 && chooser.filename() != nullptr && chooser.filename()[0] != '\0';
    if (picked) {
        chosen = chooser.filename();
    }
    // Without the dialog's event loop nothing else tells the X server the
    // chooser has closed, and it would stay mapped behind the viewer.
    Fl::flush();
    return picked;
}
