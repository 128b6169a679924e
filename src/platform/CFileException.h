#pragma once

#include <string>

// Thrown by the file layer when a read comes up short, a seek fails or a write
// fails, and by readers for a count no real file holds. Only the scene loader catches it; everything else lets it pass.
class CFileException {
public:
    enum Cause {
        endOfFile,   // fewer bytes were there than asked for
        badSeek,
        writeFault,
        implausibleCount,   // a count beyond any file of its kind
    };

    CFileException(Cause cause, std::string fileName)
        : cause(cause), fileName(std::move(fileName)) {}

    // Short English text for log lines.
    const char* Describe() const;

    Cause       cause;
    std::string fileName;
};
