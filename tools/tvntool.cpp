// tvntool: the command-line companion of the viewer.
#include <cstdio>
#include <cstring>

static void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: tvntool --version\n"
                 "       tvntool --help\n"
                 "\n"
                 "Inspecting, rendering, composing and checking scenes are not built yet.\n");
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tvntool %s\n", ORRIN_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    PrintUsage(stderr);
    return 2;
}
