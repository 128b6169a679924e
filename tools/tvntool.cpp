// tvntool: inspect, render, compose and check scenes from the command line,
// through the very classes the viewer uses.
#include <cstdio>
#include <cstring>

#include "platform/CMessageBox.h"
#include "tools/CToolScene.h"
#include "tools/ToolCommands.h"

static void PrintUsage() {
    std::printf("usage: tvntool COMMAND [OPTIONS]\n"
                "\n"
                "  info [--json] SCENE     what the scene holds\n"
                "  render SCENE|MODEL -o OUT.png|.bmp|.jpg [--size WxH] [--ticks N] [--grid] [--axis]\n"
                "         [--animation NAME] [--skin N] [--frames N [--every K]]\n"
                "                          the first frame (or N frames) the viewer would paint;\n"
                "                          a model file is shown in a scene made for it\n"
                "  compose IN.json -o OUT.tvn\n"
                "                          a scene file from JSON shaped like info --json\n"
                "  check SCENE             every file the scene names, found or not\n"
                "  model [--json] FILE     one model file: frames, animations, skins, bounds\n"
                "  thumbnail IN OUT.png SIZE\n"
                "                          a picture of a scene or model file for file managers\n"
                "  export SCENE|MODEL [--animation NAME] -o OUT.glb|OUT.gltf\n"
                "                          a scene, model or sprite file as glTF 2.0, animated\n"
                "\n"
                "  --help, -h              this text\n"
                "  --version               the version\n"
                "\n"
                "'tvntool COMMAND --help' and 'man tvntool' tell more.\n"
                "Exit codes: 0 loaded completely, 1 loaded with missing or invalid files,\n"
                "2 not a scene or unusable input, 64 wrong usage.\n");
}

int main(int argc, char** argv) {
    CMessageBox::SetBackend(CMessageBox::standardError);
    if (argc >= 2 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("tvntool %s\n", ORRIN_VERSION);
        return EXIT_LOADED;
    }
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                      std::strcmp(argv[1], "help") == 0)) {
        PrintUsage();
        return EXIT_LOADED;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: tvntool COMMAND [OPTIONS]; 'tvntool --help' lists the commands\n");
        return EXIT_USAGE;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "info") == 0) return RunInfo(argc - 1, argv + 1);
    if (std::strcmp(command, "render") == 0) return RunRender(argc - 1, argv + 1);
    if (std::strcmp(command, "compose") == 0) return RunCompose(argc - 1, argv + 1);
    if (std::strcmp(command, "check") == 0) return RunCheck(argc - 1, argv + 1);
    if (std::strcmp(command, "model") == 0) return RunModel(argc - 1, argv + 1);
    if (std::strcmp(command, "thumbnail") == 0) return RunThumbnail(argc - 1, argv + 1);
    if (std::strcmp(command, "export") == 0) return RunExport(argc - 1, argv + 1);
    std::fprintf(stderr, "tvntool: unknown command \"%s\"; 'tvntool --help' lists the commands\n", command);
    return EXIT_USAGE;
}
