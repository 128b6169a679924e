#pragma once

// What the main dialog's window asks of its logic. The scene and folder
// choosers only fill their fields, so they need nothing from here.
class CMainDialogHandler {
public:
    virtual ~CMainDialogHandler() = default;

    virtual void OnViewScene() = 0;
    virtual void OnOK() = 0;
    // Escape or the close box.
    virtual void OnCancel() = 0;
    virtual void OnAbout() = 0;
};
