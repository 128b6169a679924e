#include "platform/CMessageBox.h"

#include <cstdio>

namespace {

CMessageBox::Backend backend = CMessageBox::standardError;
void (*showOnDesktop)(const std::string& text) = nullptr;

} // namespace

// The texts end their lines the Windows way, as "errors.txt" keeps them; a
// terminal's lines end in '\n' alone.
void CMessageBox::WriteToStandardError(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') {
            line += text[i];
        }
    }
    if (line.empty() || line.back() != '\n') {
        line += '\n';
    }
    std::fputs(line.c_str(), stderr);
}

void CMessageBox::Show(const std::string& text) {
    switch (backend) {
    case standardError: WriteToStandardError(text); break;
    case desktop:       showOnDesktop != nullptr ? showOnDesktop(text) : WriteToStandardError(text); break;
    case discard:       break;
    }
}

void CMessageBox::SetBackend(Backend newBackend) {
    backend = newBackend;
}

CMessageBox::Backend CMessageBox::GetBackend() {
    return backend;
}

void CMessageBox::SetDesktopBox(void (*show)(const std::string& text)) {
    showOnDesktop = show;
}
