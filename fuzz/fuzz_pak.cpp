// Archives come from whatever the scene names: any bytes must either open or
// be refused, and every entry of an opened archive must read within the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "platform/CPakFile.h"

namespace {

// Reading every entry of a large forged directory would spend the run on
// re-reading one file; a few cover the read path.
constexpr int maxEntriesRead = 64;

void Exercise(CPakFile& pak) {
    pak.FindEntry("players/male/tris.md2");
    pak.FindEntry("");
    std::vector<uint8_t> data;
    const int count = pak.GetEntryCount() < maxEntriesRead ? pak.GetEntryCount() : maxEntriesRead;
    for (int i = 0; i < count; i++) {
        const CPakEntry& entry = pak.GetEntries()[static_cast<size_t>(i)];
        if (pak.FindEntry(entry.name) == nullptr || !pak.ReadEntry(entry, data) ||
            data.size() > static_cast<size_t>(entry.length)) {
            __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Refused archives are reported; millions of them must not fill a file.
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int descriptor = memfd_create("fuzz.pak", 0);
    if (descriptor < 0) {
        return 0;
    }
    if (write(descriptor, data, size) == static_cast<ssize_t>(size)) {
        CPakFile pak;
        if (pak.Open("/proc/self/fd/" + std::to_string(descriptor))) {
            Exercise(pak);
        }
    }
    close(descriptor);
    return 0;
}
