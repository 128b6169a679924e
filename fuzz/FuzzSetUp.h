#pragma once

#include <cstdlib>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"

// Once per process: a current OpenGL context for the harnesses that draw,
// and reports kept off the screen and out of files. Without a context every
// run would pass without testing anything, so that aborts.
inline void SetUpFuzzing() {
    static const COffscreenContext* context = [] {
        auto* created = new COffscreenContext;  // lives as long as the process
        if (!created->Create(64, 64)) {
            std::abort();
        }
        CMessageBox::SetBackend(CMessageBox::discard);
        Diagnostics().SetFolder("");
        return created;
    }();
    (void)context;
}
