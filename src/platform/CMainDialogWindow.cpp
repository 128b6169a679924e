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
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/CMainDialogHandler.h"
#include "platform/CTickSlider.h"
#include "platform/DialogUnits.h"
#include "platform/FileChooser.h"
#include "platform/ProgramIcon.h"
#include "platform/StringTable.h"

namespace {

// A drop-down list's rectangle includes its open list; closed, it is as tall
// as an edit box.
const int closedListHeight = 13;
// FLTK draws a left-aligned label this far in from each side of its box.
const int labelInset = 3;
// Between a label's box and its field, and a button's text and its sides, in
// dialog units.
const int labelGapUnits = 2;
const int buttonPaddingUnits = 2;

void SetTip(Fl_Widget* widget, int id) {
    widget->tooltip(GetStringResource(id));
}

void SetIndex(Fl_Choice* list, int index) {
    list->value(index >= 0 && index < list->size() - 1 ? index : -1);
}

std::string InputText(const Fl_Input* input) {
    return input->value() != nullptr ? input->value() : "";
}

// The width of a label's text as it is drawn; a button shows "&A" as an
// underlined "A".
int TextWidth(const Fl_Widget& widget, bool shortcutLabel) {
    const char drawShortcut = fl_draw_shortcut;
    fl_draw_shortcut = shortcutLabel ? 1 : 0;
    int width = 0;
    int height = 0;
    widget.measure_label(width, height);
    fl_draw_shortcut = drawShortcut;
    return width;
}

void MoveLeftEdge(Fl_Widget* widget, int x) {
    widget->resize(x, widget->y(), widget->x() + widget->w() - x, widget->h());
}

void MoveRightEdge(Fl_Widget* widget, int right) {
    widget->resize(widget->x(), widget->y(), right - widget->x(), widget->h());
}

const char* const resolutionNames[] = { "512x384", "640x400", "640x480", "800x600", "1024x768" };
// Sorted, as the list always was; PNG came last, so the stored numbers of
// the other two keep their meaning.
const char* const fileTypeNames[] = { "Bitmap", "JPEG", "PNG" };
const char* const qualityNames[] = { "Min", "Med", "High", "Max" };

} // namespace

struct CMainDialogWindow::Controls {
    CMainDialogHandler& handler;
    const CDialogUnits  units;
    Fl_Window           window;
    Fl_Input*           scenePath = nullptr;
    Fl_Choice*          resolution = nullptr;
    CTickSlider*        gamma = nullptr;
    Fl_Input*           shotFolder = nullptr;
    Fl_Input*           shotBaseName = nullptr;
    Fl_Choice*          shotFileType = nullptr;
    Fl_Choice*          jpegQuality = nullptr;

    Controls(CMainDialogHandler& handler, CDialogUnits units)
        : handler(handler), units(units), window(units.X(281), units.Y(146), "Orrin") {}
    void Build();
    void ChooseScene();
    void ChooseFolder();

private:
    struct LabelledField {
        Fl_Widget* label;
        Fl_Widget* field;
    };
    Fl_Box*    AddLabel(const char* text, int x, int y, int w, int h);
    Fl_Choice* AddList(int id, int x, int y, int w, const char* const items[], int count);
    void       FitLabelColumn(std::initializer_list<LabelledField> rows);
    int        MissingButtonWidth(const Fl_Widget& button) const;
    void       GrowLeftward(Fl_Widget* button, std::initializer_list<Fl_Widget*> givingWay) const;
};

Fl_Box* CMainDialogWindow::Controls::AddLabel(const char* text, int x, int y, int w, int h) {
    Fl_Box* label = new Fl_Box(units.X(x), units.Y(y), units.X(w), units.Y(h), text);
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    return label;
}

Fl_Choice* CMainDialogWindow::Controls::AddList(int id, int x, int y, int w, const char* const items[], int count) {
    Fl_Choice* list = new Fl_Choice(units.X(x), units.Y(y), units.X(w), units.Y(closedListHeight));
    for (int i = 0; i < count; ++i) {
        list->add(items[i]);
    }
    SetTip(list, id);
    return list;
}

// The rectangles were made for a narrower font than the system gives: each
// label grows to its text, and its column of fields moves right as far as
// the widest label needs, their right edges staying.
void CMainDialogWindow::Controls::FitLabelColumn(std::initializer_list<LabelledField> rows) {
    int shift = 0;
    for (const LabelledField& row : rows) {
        Fl_Widget& label = *row.label;
        label.size(std::max(label.w(), labelInset + TextWidth(label, false) + labelInset), label.h());
        shift = std::max(shift, label.x() + label.w() + units.X(labelGapUnits) - row.field->x());
    }
    for (const LabelledField& row : rows) {
        MoveLeftEdge(row.field, row.field->x() + shift);
    }
}

// How much wider the button must be to show its text whole.
int CMainDialogWindow::Controls::MissingButtonWidth(const Fl_Widget& button) const {
    const int needed = TextWidth(button, true) + Fl::box_dw(button.box()) + 2 * units.X(buttonPaddingUnits);
    return std::max(0, needed - button.w());
}

// A button at the right keeps its right edge and grows into the controls on
// its left, whose right edges give way as much.
void CMainDialogWindow::Controls::GrowLeftward(Fl_Widget* button, std::initializer_list<Fl_Widget*> givingWay) const {
    const int growth = MissingButtonWidth(*button);
    MoveLeftEdge(button, button->x() - growth);
    for (Fl_Widget* control : givingWay) {
        MoveRightEdge(control, control->x() + control->w() - growth);
    }
}

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
    const CDialogUnits& u = units;
    window.begin();
    Fl_Box* sceneLabel = AddLabel("Scene", 7, 7, 27, 11);
    scenePath = new Fl_Input(u.X(49), u.Y(7), u.X(190), u.Y(12));
    SetTip(scenePath, 1001);
    Fl_Button* browseScene = new Fl_Button(u.X(244), u.Y(7), u.X(30), u.Y(12), "Browse");
    browseScene->callback(OnBrowseScene, this);
    SetTip(browseScene, 1002);

    Fl_Box* resolutionLabel = AddLabel("Resolution", 7, 25, 38, 9);
    resolution = AddList(1018, 49, 22, 75, resolutionNames, 5);
    // Never shown: the viewer always tries to switch the display mode.
    Fl_Check_Button* keepDisplayMode =
        new Fl_Check_Button(u.X(149), u.Y(25), u.X(110), u.Y(10), "Don't change display mode");
    SetTip(keepDisplayMode, 1017);
    keepDisplayMode->hide();

    Fl_Box* gammaLabel = AddLabel("Gamma", 7, 44, 32, 11);
    gamma = new CTickSlider(u.X(49), u.Y(38), u.X(155), u.Y(20), 8);
    gamma->bounds(1, 80);
    gamma->step(1);
    SetTip(gamma, 1020);
    Fl_Button* about = new Fl_Button(u.X(209), u.Y(41), u.X(65), u.Y(14), GetStringResource(101));
    about->callback(OnAboutButton, this);

    Fl_Box* group = new Fl_Box(FL_ENGRAVED_FRAME, u.X(14), u.Y(63), u.X(254), u.Y(54), "Screen Shot");
    group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    Fl_Box* folderLabel = AddLabel("Base path", 18, 74, 38, 9);
    shotFolder = new Fl_Input(u.X(62), u.Y(71), u.X(163), u.Y(12));
    SetTip(shotFolder, 1012);
    Fl_Button* browseFolder = new Fl_Button(u.X(231), u.Y(71), u.X(30), u.Y(12), "Browse");
    browseFolder->callback(OnBrowseFolder, this);
    SetTip(browseFolder, 1003);
    Fl_Box* nameLabel = AddLabel("File name", 18, 87, 38, 9);
    shotBaseName = new Fl_Input(u.X(62), u.Y(86), u.X(163), u.Y(12));
    SetTip(shotBaseName, 1013);
    Fl_Box* typeLabel = AddLabel("File type", 18, 102, 38, 9);
    shotFileType = AddList(1015, 62, 100, 45, fileTypeNames, 3);
    Fl_Box* qualityLabel = AddLabel("JPEG Quality", 135, 102, 44, 9);
    jpegQuality = AddList(1016, 184, 100, 41, qualityNames, 4);

    Fl_Button* viewScene = new Fl_Button(u.X(7), u.Y(125), u.X(50), u.Y(14), "View Scene");
    viewScene->callback(OnViewSceneButton, this);
    SetTip(viewScene, 1000);
    Fl_Return_Button* exit = new Fl_Return_Button(u.X(224), u.Y(125), u.X(50), u.Y(14), "Exit");
    exit->callback(OnExitButton, this);
    window.end();
    window.callback(OnWindowClose, this);

    FitLabelColumn({ { sceneLabel, scenePath }, { resolutionLabel, resolution }, { gammaLabel, gamma } });
    FitLabelColumn({ { folderLabel, shotFolder }, { nameLabel, shotBaseName }, { typeLabel, shotFileType } });
    FitLabelColumn({ { qualityLabel, jpegQuality } });
    GrowLeftward(browseScene, { scenePath });
    GrowLeftward(about, { gamma });
    GrowLeftward(browseFolder, { shotFolder, shotBaseName });
    GrowLeftward(exit, {});
    viewScene->size(viewScene->w() + MissingButtonWidth(*viewScene), viewScene->h());
}

void CMainDialogWindow::Controls::ChooseScene() {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.filter(OPEN_FILE_FILTER);
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
    : controls(std::make_unique<Controls>(handler, PrepareDialogs())) {
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
