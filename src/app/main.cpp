// orrin: the desktop viewer. The settings dialog and the full-screen viewer
// window are not in place yet; until they are, this says so and exits.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("orrin %s\n", ORRIN_VERSION);
        return 0;
    }
    std::fprintf(stderr,
                 "orrin %s: the viewer window and its settings dialog are not built yet.\n"
                 "Use 'tvntool' for what is available now.\n",
                 ORRIN_VERSION);
    return 1;
}
