#include "platform/CMainDialogWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <memory>
#include <vector>

#include "platform/CMainDialogHandler.h"
#include "platform/CTickSlider.h"
#include "platform/ProgramIcon.h"
#include "platform/StringTable.h"

namespace {

// Dialog units of MS Sans Serif 8 at 96 dpi.
int X(int units) { return (units * 3 + 1) / 2; }
int Y(int units) { return units * 13 / 8; }

// A drop-down list's rectangle includes its open list; closed, it is as tall
// as an edit box.
const int closedListHeight = 13;

Fl_Box* AddLabel(const char* text, int x, int y, int w, int h) {
    Fl_Box* label = new Fl_Box(X(x), Y(y), X(w), Y(h), text);
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    return label;
}

void SetTip(Fl_Widget* widget, int id) {
    widget->tooltip(GetStringResource(id));
}

Fl_Choice* AddList(int id, int x, int y, int w, const char* const items[], int count) {
    Fl_Choice* list = new Fl_Choice(X(x), Y(y), X(w), Y(closedListHeight));
    for (int i = 0; i < count; ++i) {
        list->add(items[i]);
    }
    SetTip(list, id);
    return list;
}

void SetIndex(Fl_Choice* list, int index) {
    list->value(index >= 0 && index < list->size() - 1 ? index : -1);
}

std::string InputText(const Fl_Input* input) {
    return input->value() != nullptr ? input->value() : "";
}

const char* const resolutionNames[] = { "512x384", "640x400", "640x480", "800x600", "1024x768" };
const char* const fileTypeNames[] = { "Bitmap", "JPEG" };
const char* const qualityNames[] = { "Min", "Med", "High", "Max" };

} // namespace

struct CMainDialogWindow::Controls {
    CMainDialogHandler& handler;
    Fl_Window           window { X(281), Y(146), "Orrin" };
    Fl_Input*           scenePath = nullptr;
    Fl_Choice*          resolution = nullptr;
    CTickSlider*        gamma = nullptr;
    Fl_Input*           shotFolder = nullptr;
    Fl_Input*           shotBaseName = nullptr;
    Fl_Choice*          shotFileType = nullptr;
    Fl_Choice*          jpegQuality = nullptr;

    explicit Controls(CMainDialogHandler& handler) : handler(handler) {}
    void Build();
    void ChooseScene();
    void ChooseFolder();
};

namespace {

using Controls = CMainDialogWindow::Controls;

void OnBrowseScene(Fl_Widget*, void* data) { static_cast<Controls*>(data)->ChooseScene(); }
void OnBrowseFolder(Fl_Widget*, void* data) { static_cast<Controls*>(data)->ChooseFolder(); }
void OnViewSceneButton(Fl_Widget*, void* data) { static_cast<Controls*>(data)->handler.OnViewScene(); }
void OnExitButton(Fl_Widget*, void* data) { static_cast<Controls*>(data)->handler.OnOK(); }
void OnAboutButton(Fl_Widget*, void* data) { static_cast<Controls*>(data)->handler.OnAbout(); }
// The window's own callback runs for Escape and for the close box.
void OnWindowClose(Fl_Widget*, void* data) { static_cast<Controls*>(data)->handler.OnCancel(); }

} // namespace

namespace {

// Every window of the dialogs, message boxes included, shows the program's
// icon; FLTK copies the pictures.
void SetDefaultIcons() {
    std::vector<std::vector<uint8_t>> pixels;
    std::vector<std::unique_ptr<Fl_RGB_Image>> images;
    std::vector<const Fl_RGB_Image*> list;
    for (const int size : { 16, 32, 48, 64 }) {
        pixels.push_back(DrawProgramIcon(size));
        images.push_back(std::make_unique<Fl_RGB_Image>(pixels.back().data(), size, size, 4));
        list.push_back(images.back().get());
    }
    Fl_Window::default_icons(list.data(), static_cast<int>(list.size()));
}

}  // namespace

void CMainDialogWindow::Controls::Build() {
    SetDefaultIcons();
    window.begin();
    AddLabel("Scene", 7, 7, 27, 11);
    scenePath = new Fl_Input(X(49), Y(7), X(190), Y(12));
    SetTip(scenePath, 1001);
    Fl_Button* browseScene = new Fl_Button(X(244), Y(7), X(30), Y(12), "Browse");
    browseScene->callback(OnBrowseScene, this);
    SetTip(browseScene, 1002);

    AddLabel("Resolution", 7, 25, 38, 9);
    resolution = AddList(1018, 49, 22, 75, resolutionNames, 5);
    // Never shown: the viewer always tries to switch the display mode.
    Fl_Check_Button* keepDisplayMode = new Fl_Check_Button(X(149), Y(25), X(110), Y(10), "Don't change display mode");
    SetTip(keepDisplayMode, 1017);
    keepDisplayMode->hide();

    AddLabel("Gamma", 7, 44, 32, 11);
    gamma = new CTickSlider(X(49), Y(38), X(155), Y(20), 8);
    gamma->bounds(1, 80);
    gamma->step(1);
    SetTip(gamma, 1020);
    Fl_Button* about = new Fl_Button(X(209), Y(41), X(65), Y(14), GetStringResource(101));
    about->labelsize(11);
    about->callback(OnAboutButton, this);

    Fl_Box* group = new Fl_Box(FL_ENGRAVED_FRAME, X(14), Y(63), X(254), Y(54), "Screen Shot");
    group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    AddLabel("Base path", 18, 74, 38, 9);
    shotFolder = new Fl_Input(X(62), Y(71), X(163), Y(12));
    SetTip(shotFolder, 1012);
    Fl_Button* browseFolder = new Fl_Button(X(231), Y(71), X(30), Y(12), "Browse");
    browseFolder->callback(OnBrowseFolder, this);
    SetTip(browseFolder, 1003);
    AddLabel("File name", 18, 87, 38, 9);
    shotBaseName = new Fl_Input(X(62), Y(86), X(163), Y(12));
    SetTip(shotBaseName, 1013);
    AddLabel("File type", 18, 102, 38, 9);
    shotFileType = AddList(1015, 62, 100, 45, fileTypeNames, 2);
    AddLabel("JPEG Quality", 135, 102, 44, 9);
    jpegQuality = AddList(1016, 184, 100, 41, qualityNames, 4);

    Fl_Button* viewScene = new Fl_Button(X(7), Y(125), X(50), Y(14), "View Scene");
    viewScene->callback(OnViewSceneButton, this);
    SetTip(viewScene, 1000);
    Fl_Return_Button* exit = new Fl_Return_Button(X(224), Y(125), X(50), Y(14), "Exit");
    exit->callback(OnExitButton, this);
    window.end();
    window.callback(OnWindowClose, this);
}

void CMainDialogWindow::Controls::ChooseScene() {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    // Files written on Windows keep upper-case extensions as often as not.
    chooser.filter("TAV Scene Files (*.tvn)\t*.{tvn,TVN}\n"
                   "Models and sprites\t*.{md2,mdl,def,sp2,spr,MD2,MDL,DEF,SP2,SPR}");
    if (chooser.show() == 0 && chooser.filename() != nullptr) {
        scenePath->value(chooser.filename());
    }
}

void CMainDialogWindow::Controls::ChooseFolder() {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
    chooser.title("Please select a folder to store screen shots in.");
    if (chooser.show() == 0 && chooser.filename() != nullptr) {
        shotFolder->value(chooser.filename());
    }
}

CMainDialogWindow::CMainDialogWindow(CMainDialogHandler& handler)
    : controls(std::make_unique<Controls>(handler)) {
    // MS Sans Serif 8 at 96 dpi, which the rectangles were laid out for.
    FL_NORMAL_SIZE = 11;
    Fl_Tooltip::enable(1);
    controls->Build();
}

CMainDialogWindow::~CMainDialogWindow() = default;

void CMainDialogWindow::SetFields(const DialogFields& fields) {
    controls->scenePath->value(fields.scenePath.c_str());
    SetIndex(controls->resolution, fields.resolution);
    // Like the slider the dialog was made with, a position outside the range
    // shows at its nearer end: gamma 1.0 is position 0 and reads 1.
    controls->gamma->value(controls->gamma->clamp(fields.gammaPosition));
    controls->shotFolder->value(fields.shotFolder.c_str());
    controls->shotBaseName->value(fields.shotBaseName.c_str());
    SetIndex(controls->shotFileType, fields.shotFileType);
    SetIndex(controls->jpegQuality, fields.jpegQuality);
}

DialogFields CMainDialogWindow::GetFields() const {
    DialogFields fields;
    fields.scenePath = InputText(controls->scenePath);
    fields.resolution = controls->resolution->value();
    fields.gammaPosition = static_cast<int>(controls->gamma->value());
    fields.shotFolder = InputText(controls->shotFolder);
    fields.shotBaseName = InputText(controls->shotBaseName);
    fields.shotFileType = controls->shotFileType->value();
    fields.jpegQuality = controls->jpegQuality->value();
    return fields;
}

void CMainDialogWindow::Hide() {
    controls->window.hide();
    Fl::flush();
}

void CMainDialogWindow::Show() {
    controls->window.show();
}

void CMainDialogWindow::Close() {
    controls->window.hide();
    closed = true;
}

void CMainDialogWindow::GetCursorPosition(int& x, int& y) const {
    Fl::get_mouse(x, y);
}

void CMainDialogWindow::SetCursorPosition(int x, int y) {
    XWarpPointer(fl_display, None, RootWindow(fl_display, fl_screen), 0, 0, 0, 0, x, y);
    XFlush(fl_display);
}

void CMainDialogWindow::RunModal() {
    closed = false;
    controls->window.show();
    while (!closed && Fl::wait() >= 0) {
    }
}
