#include "diag/CDiagnostics.h"
#include "diag/LoadMessages.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdint>
#include <cstdio>
#include <new>

#include "platform/CMessageBox.h"
#include "platform/GLCurrentContext.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"

namespace {

constexpr int maxGLStateLines = 11;

GLErrorSource CurrentContextErrors() {
    return { HasCurrentGLContext, [] { return static_cast<unsigned>(glGetError()); } };
}

std::string GLErrorText(unsigned code) {
    const GLubyte* text = gluErrorString(code);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "unknown error";
}

} // namespace

CDiagnostics::CDiagnostics(std::string folder)
    : folder(std::move(folder)), glErrors(CurrentContextErrors()) {}

void CDiagnostics::SetFolder(std::string newFolder) {
    folder = std::move(newFolder);
    logFileReset = false;
    errorFileReset = false;
}

bool CDiagnostics::PrepareFile(const std::string& path, bool& resetDone) {
    if (folder.empty()) {
        return false;
    }
    if (!resetDone) {
        std::remove(path.c_str());
        resetDone = true;
    }
    return true;
}

bool CDiagnostics::PrepareLogFile() {
    return PrepareFile(LogFilePath(), logFileReset);
}

bool CDiagnostics::PrepareErrorFile() {
    return PrepareFile(ErrorFilePath(), errorFileReset);
}

void CDiagnostics::Append(const std::string& path, const std::string& text) const {
    FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void CDiagnostics::LogLine(const std::string& text) {
    if (PrepareLogFile()) {
        Append(LogFilePath(), text);
    }
}

void CDiagnostics::ReportError(const std::string& text) {
    if (PrepareErrorFile()) {
        Append(ErrorFilePath(), text);
    }
    // Shown even without a folder to write to: the user must still learn why.
    CMessageBox::Show(text);
}

void CDiagnostics::ReportErrorId(int stringId) {
    ReportError(GetStringResource(stringId));
}

bool CDiagnostics::CheckGLError(const std::string& where) {
    const unsigned code = glErrors.nextError();
    if (code == GL_NO_ERROR) {
        return false;
    }
    LogLine(where + " had error: #(" + std::to_string(code) + ") " + GLErrorText(code) + "\n");
    return true;
}

bool CDiagnostics::CheckGLState(const std::string& where) {
    if (!glErrors.hasCurrentContext()) {
        LogLine("ERROR: No Current Rendering Context at " + where + "\n");
        return true;
    }
    unsigned code = glErrors.nextError();
    if (code == GL_NO_ERROR) {
        return false;
    }
    for (int lines = 1;; lines++) {
        LogLine(where + " Received an OpenGL Error '" + GLErrorText(code) + "'\n");
        if (lines == maxGLStateLines) {
            break;
        }
        code = glErrors.nextError();
        if (code == GL_NO_ERROR) {
            break;
        }
    }
    return true;
}

std::unique_ptr<uint8_t[]> CDiagnostics::AllocOrFail(size_t size) {
    std::unique_ptr<uint8_t[]> block;
    // Larger sizes can never be met; asking would only upset the allocator.
    if (size <= static_cast<size_t>(PTRDIFF_MAX)) {
        block.reset(new (std::nothrow) uint8_t[size]);
    }
    if (block == nullptr) {
        FatalError("Out of memory");
    }
    return block;
}

void CDiagnostics::FatalError(const std::string& text) {
    ReportError(text);
    endViewingRequested = true;
}

void CDiagnostics::ShowOpenGLFailure(const std::string& what) {
    FatalError(what +
               "\n\nThis error was probably caused by an incompatable version of OpenGL."
               "\n\nInstall your distribution's OpenGL driver library and GLU (on Debian the "
               "packages libgl1-mesa-dri, libglx-mesa0 and libglu1-mesa, or the driver package "
               "of your graphics card's maker), then start the program again."
               "\n\nDO NOT COPY OPENGL LIBRARIES INTO THE PROGRAM'S FOLDER OR INTO THE SYSTEM'S "
               "LIBRARY FOLDERS BY HAND.");
}

bool CDiagnostics::TakeEndViewingRequest() {
    const bool requested = endViewingRequested;
    endViewingRequested = false;
    return requested;
}

CDiagnostics& Diagnostics() {
    static CDiagnostics diagnostics(ProgramFolder());
    return diagnostics;
}

void LogLine(const std::string& text) { Diagnostics().LogLine(text); }
void ReportError(const std::string& text) { Diagnostics().ReportError(text); }
void ReportErrorId(int stringId) { Diagnostics().ReportErrorId(stringId); }
bool CheckGLError(const std::string& where) { return Diagnostics().CheckGLError(where); }
bool CheckGLState(const std::string& where) { return Diagnostics().CheckGLState(where); }
std::unique_ptr<uint8_t[]> AllocOrFail(size_t size) { return Diagnostics().AllocOrFail(size); }
void FatalError(const std::string& text) { Diagnostics().FatalError(text); }
void ShowOpenGLFailure(const std::string& what) { Diagnostics().ShowOpenGLFailure(what); }
bool PrepareErrorFile() { return Diagnostics().PrepareErrorFile(); }

std::string LoadMessage::Text() const {
    return number != 0 ? GetStringResource(number) : text;
}

void ReportMessages(const LoadMessages& messages) {
    for (const LoadMessage& message : messages) {
        ReportError(message.Text());
    }
}
