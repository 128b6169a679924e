#pragma once

#include "platform/DialogFields.h"

// The main dialog as its logic sees it; the desktop window implements it,
// and the tests put a plain object in its place.
class CMainDialogView {
public:
    virtual ~CMainDialogView() = default;

    virtual void         SetFields(const DialogFields& fields) = 0;
    virtual DialogFields GetFields() const = 0;
    // Hiding takes effect on the screen before it returns, so the viewer
    // window made next comes up alone.
    virtual void         Hide() = 0;
    virtual void         Show() = 0;
    // The mouse pointer on the screen, kept across a viewing.
    virtual void         GetCursorPosition(int& x, int& y) const = 0;
    virtual void         SetCursorPosition(int x, int y) = 0;
    // Ends the dialog's modal loop.
    virtual void         Close() = 0;
};
