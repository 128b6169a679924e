#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Where OpenGL errors come from. The default asks the current context; tests
// queue their own codes, because Mesa keeps only one error at a time.
struct GLErrorSource {
    std::function<bool()>     hasCurrentContext;
    std::function<unsigned()> nextError;   // 0 (GL_NO_ERROR) when none is pending
};

// The run's two text files in the program folder: "log.txt" for technical
// lines, never shown, and "errors.txt" for what the user is told. A file is
// deleted the first time it is prepared in a run and only appended to after,
// so each run starts both afresh while every load of one run accumulates in
// "errors.txt". Each text is appended exactly as given, the file opened and
// closed around it: a text ends a line only if it ends with a line break.
class CDiagnostics {
public:
    // folder ends with '/'; empty means there is no program folder: nothing
    // is written, though errors are still shown to the user.
    explicit CDiagnostics(std::string folder);

    // Also forgets which files this run has reset.
    void               SetFolder(std::string newFolder);
    const std::string& GetFolder() const { return folder; }
    std::string        LogFilePath() const { return folder + "log.txt"; }
    std::string        ErrorFilePath() const { return folder + "errors.txt"; }

    // Deletes the file if this run has not yet done so. False without a folder.
    bool PrepareLogFile();
    bool PrepareErrorFile();

    void LogLine(const std::string& text);
    // Appends to "errors.txt" and shows the text in a message box.
    void ReportError(const std::string& text);
    void ReportErrorId(int stringId);
    // True if OpenGL had an error; one is consumed and logged.
    bool CheckGLError(const std::string& where);
    // True if there is no current context or OpenGL had errors; at most 11 are
    // consumed and logged, the rest wait for the next check.
    bool CheckGLState(const std::string& where);
    // Null after reporting "Out of memory" and asking for the end of viewing.
    std::unique_ptr<uint8_t[]> AllocOrFail(size_t size);
    // Reports the text, then asks for the end of viewing.
    void FatalError(const std::string& text);
    // Explains a failed OpenGL call (what = the call) and ends the viewing.
    void ShowOpenGLFailure(const std::string& what);

    // FatalError must not tear down the viewer window under the operation that
    // failed; it only raises this request, which the window's loop takes once
    // control is back with it. Returns whether it was raised, and clears it.
    bool TakeEndViewingRequest();

    void SetGLErrorSource(GLErrorSource source) { glErrors = std::move(source); }

private:
    bool PrepareFile(const std::string& path, bool& resetDone);
    void Append(const std::string& path, const std::string& text) const;

    std::string   folder;
    bool          logFileReset = false;
    bool          errorFileReset = false;
    bool          endViewingRequested = false;
    GLErrorSource glErrors;
};

// The diagnostics of this process, writing to ProgramFolder().
CDiagnostics& Diagnostics();

// Shorthands for the process's diagnostics, as every subsystem reports.
void LogLine(const std::string& text);
void ReportError(const std::string& text);
void ReportErrorId(int stringId);
bool CheckGLError(const std::string& where);
bool CheckGLState(const std::string& where);
std::unique_ptr<uint8_t[]> AllocOrFail(size_t size);
void FatalError(const std::string& text);
void ShowOpenGLFailure(const std::string& what);
bool PrepareErrorFile();
