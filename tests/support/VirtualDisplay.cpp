#include "support/VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

constexpr int startWaitMs = 5000;

class CXvfb {
public:
    CXvfb() {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        // Xvfb picks a free display and writes its number on the descriptor.
        const std::string fdText = std::to_string(fds[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* const argv[] = { "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "640x480x24",
                                     "-nolisten", "tcp", nullptr };
        if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (pid != 0) {
            ReadDisplayNumber(fds[0]);
        }
        close(fds[0]);
    }
    ~CXvfb() {
        if (pid != 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    CXvfb(const CXvfb&) = delete;
    CXvfb& operator=(const CXvfb&) = delete;

    const char* Name() const { return name.empty() ? nullptr : name.c_str(); }

private:
    void ReadDisplayNumber(int fd) {
        std::string number;
        char c = 0;
        pollfd waiting = { fd, POLLIN, 0 };
        while (poll(&waiting, 1, startWaitMs) == 1 && read(fd, &c, 1) == 1 && c != '\n') {
            number += c;
        }
        if (c == '\n' && !number.empty()) {
            name = ":" + number;
        }
    }

    pid_t       pid = 0;
    std::string name;
};

} // namespace

const char* VirtualDisplay() {
    static CXvfb xvfb;
    return xvfb.Name();
}
