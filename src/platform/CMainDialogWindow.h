#pragma once

#include <memory>

#include "platform/CMainDialogView.h"

class CMainDialogHandler;

// The main dialog on the desktop (FLTK): every control at its rectangle, with
// its tool tip, in tab order; the scene and folder choosers; an About button.
// The handler must outlive the window.
class CMainDialogWindow : public CMainDialogView {
public:
    explicit CMainDialogWindow(CMainDialogHandler& handler);
    ~CMainDialogWindow() override;
    CMainDialogWindow(const CMainDialogWindow&) = delete;
    CMainDialogWindow& operator=(const CMainDialogWindow&) = delete;

    void         SetFields(const DialogFields& fields) override;
    DialogFields GetFields() const override;
    void         Hide() override;
    void         Show() override;
    void         Close() override;
    void         GetCursorPosition(int& x, int& y) const override;
    void         SetCursorPosition(int x, int y) override;

    // Shows the dialog and returns once it is closed.
    void RunModal();

    struct Controls;

private:
    std::unique_ptr<Controls> controls;
    bool                      closed = false;
};
