#include "support/ToolRun.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The data limit (heap and private mappings), not the address space: the
// software renderer's code generator reserves some 700 MB of addresses it
// never fills, and a file's claims reach memory through the heap.
constexpr long DATA_LIMIT_KB = 512 << 10;
constexpr size_t KEPT_ERROR_BYTES = 1u << 20;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

bool CanLimitTool() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

ToolRun RunToolLimited(const std::vector<std::string>& args, double killAfterSeconds) {
    // Another build's tool, to measure it against this one.
    const char* tool = std::getenv("ORRIN_TVNTOOL") != nullptr ? std::getenv("ORRIN_TVNTOOL") : TVNTOOL_PATH;
    // The shell's own complaints (a refused limit) land in the errors too.
    std::string command = "{ ulimit -d " + std::to_string(DATA_LIMIT_KB) + " && exec timeout -s KILL " +
                          std::to_string(killAfterSeconds) + " " + Quoted(tool);
    for (const std::string& arg : args) {
        command += " " + Quoted(arg);
    }
    command += "; } 2>&1 >/dev/null";

    ToolRun run;
    std::fflush(stdout);  // or the child's copy of the buffer is written too
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        run.errors = "no shell to run the tool";
        return run;
    }
    // Standard error is drained while the tool runs: a flood must not stall
    // it on a full pipe.
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.errorBytes += got;
        if (run.errors.size() < KEPT_ERROR_BYTES) {
            run.errors.append(buffer, got);
        }
    }
    const int status = pclose(pipe);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

std::string Describe(const ToolRun& run) {
    char line[160];
    std::snprintf(line, sizeof(line), "exit %d, signal %d, %.2f s, %zu bytes of errors: ", run.exitCode,
                  run.signal, run.seconds, run.errorBytes);
    return line + run.errors.substr(0, 600);
}
