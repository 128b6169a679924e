#include "platform/StringTable.h"

namespace {

struct StringResource {
    int         id;
    const char* text;
};

constexpr StringResource stringTable[] = {
    { 101, "&About TAV3dfx..." },
    { 102, "Sorry, the default palette is available for PCX files only." },
    { 103, "Invalid Image file format." },
    { 104, "Could not load Bitmap." },
    { 105, "Cannot process JPEG files in this format." },
    { 106, "An error occured while processing the bitmap." },
    { 107, "Could not load/find the default palette (quake2.pal). \nUsing the default Quake2 palette." },
    { 108, "No more lights are available." },
    { 109, "Not a valid MD2 File." },
    { 110, "Text too long, truncating." },
    { 112, "Could not load skins for Visual Weapons.  Check View->VWep to insure that the path to "
           "the VWep and Quake 2 pak files is correct." },
    { 113, "Not a valid Quake2 Pak file." },
    { 114, "You must run this program with more than 256 colors.  Please change the display "
           "setting and try again." },
    { 115, "%1 is not compatable with this version of TAV." },
    { 116, "%1 is not a TAV File." },
    { 117, "Please Select a Scene file first" },
    { 119, "Not a valid MDL (classic quake model) file." },
    { 120, "Cannot locate the Model (.sbm) file." },
    { 121, "Cannot locate any anim (.sam) files for this model." },
    { 122, "Not a valid SIN Model (.sbm) file." },
    // Tool tips of the main dialog share their control's number.
    { 1000, "View the Scene!" },
    { 1001, "Enter the full path to the scene that you want to view." },
    { 1002, "Find a TAV Scene File to view." },
    { 1003, "Find a directory to save screen shots to." },
    { 1012, "The directory where screen shots will be saved to." },
    { 1013, "The filename for screen shots (ex shot will produce shot000...shot999)." },
    { 1015, "Select the format for screen shot files." },
    { 1016, "Set the quality (and size) for JPG files." },
    { 1017, "Prevents the desktop's resolution from being changed." },
    { 1018, "Select the resolution for the 3dfx screen." },
    { 1020, "Adjust the brightness of the textures." },
    { 1021, "Not a valid SIN def file." },
    { 1022, "Error reading sprite." },
    { 1023, "Invalid sprite file format." },
    { 1024, "There are no textures for this sprite." },
    { 1025, "Error loading the texture for this sprite." },
    { 1026, "Not a valid Quake 2 sprite." },
};

} // namespace

const char* GetStringResource(int id) {
    for (const StringResource& resource : stringTable) {
        if (resource.id == id) {
            return resource.text;
        }
    }
    return "";
}
