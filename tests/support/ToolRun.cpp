#include "support/ToolRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The data limit (heap and private mappings), not the address space: the
// software renderer's code generator reserves some 700 MB of addresses it
// never fills, and a file's claims reach memory through the heap.
constexpr rlim_t DATA_LIMIT = 512u << 20;
constexpr size_t KEPT_ERROR_BYTES = 1u << 20;

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
    ToolRun run;
    int errorPipe[2];
    if (pipe(errorPipe) != 0) {
        run.errors = "no pipe";
        return run;
    }
    // Another build's tool, to measure it against this one.
    const char* tool = std::getenv("ORRIN_TVNTOOL") != nullptr ? std::getenv("ORRIN_TVNTOOL") : TVNTOOL_PATH;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    std::fflush(stdout);  // or the child's copy of the buffer is written too
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit = { DATA_LIMIT, DATA_LIMIT };
        setrlimit(RLIMIT_DATA, &limit);
        const int nothing = open("/dev/null", O_WRONLY);
        dup2(nothing, STDOUT_FILENO);
        dup2(errorPipe[1], STDERR_FILENO);
        close(errorPipe[0]);
        close(errorPipe[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(errorPipe[1]);

    // Standard error is drained while the child runs: a flood must not stall
    // it on a full pipe.
    bool killed = false;
    char buffer[65536];
    for (;;) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!killed && elapsed > killAfterSeconds) {
            kill(child, SIGKILL);
            killed = true;
        }
        pollfd wait = { errorPipe[0], POLLIN, 0 };
        if (poll(&wait, 1, 100) <= 0) {
            continue;
        }
        const ssize_t got = read(errorPipe[0], buffer, sizeof(buffer));
        if (got <= 0) {
            break;
        }
        run.errorBytes += static_cast<size_t>(got);
        if (run.errors.size() < KEPT_ERROR_BYTES) {
            run.errors.append(buffer, static_cast<size_t>(got));
        }
    }
    close(errorPipe[0]);

    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

std::string Describe(const ToolRun& run) {
    char line[160];
    std::snprintf(line, sizeof(line), "exit %d, signal %d, %.2f s, %.0f MB, %zu bytes of errors: ", run.exitCode,
                  run.signal, run.seconds, run.peakMegabytes, run.errorBytes);
    return line + run.errors.substr(0, 600);
}
