#include "app/CAboutDlg.h"

#include "platform/TextDialogs.h"

const char* const CAboutDlg::caption = "About Orrin";

std::vector<std::string> CAboutDlg::Lines() {
    return {
        "Orrin",
        "version 1.9",
        "Copyright the Orrin developers. All rights reserved.",
        "This software is based in part on the work of the Independent JPEG Group",
        "Quake and Quake II are trademarks of id Software, Inc.",
        "SiN is a trademark of Ritual Entertainment, Inc.",
        "Half-Life is a trademark of Valve Corporation.",
        "Windows is a trademark of Microsoft Corporation.",
        "OpenGL is a trademark of Silicon Graphics, Inc.",
    };
}

void CAboutDlg::DoModal() {
    ShowAboutWindow(caption, Lines());
}
