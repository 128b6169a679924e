#include "platform/FileChooser.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>

#include <filesystem>

bool ChooseFileToOpen(const std::string& start, std::string& chosen) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title("Open a scene or model file");
    // Files written on Windows keep upper-case extensions as often as not,
    // and model files are known by what they hold as well as by their names.
    // No parentheses in the names: FLTK's own chooser (where GTK is missing)
    // would take them for the pattern.
    chooser.filter("TAV Scene Files\t*.{tvn,TVN}\n"
                   "Models and sprites\t*.{md2,mdl,def,sp2,spr,MD2,MDL,DEF,SP2,SPR}\n"
                   "All Files\t*");
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
