#include "tools/ToolCommands.h"

#include <getopt.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/PngWriter.h"
#include "platform/COutputFile.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CToolScene.h"
#include "tools/CommandLine.h"
#include "tools/Thumbnail.h"
#include "view/COGLViewport3D.h"
#include "view/CScreenShot.h"
#include "view/CShotFrame.h"

namespace {

const char* const renderUsage =
    "render SCENE|MODEL -o OUT.png|.bmp|.jpg [--size WxH] [--ticks N] [--grid] [--axis]\n"
    "       [--animation NAME] [--skin N] [--frames N [--every K]]";
const char* const thumbnailUsage = "thumbnail IN OUT.png SIZE";
// A file manager waits for its thumbnailers; a file that would keep one busy
// longer than this gets no picture rather than a stuck process.
const int THUMBNAIL_SECONDS = 10;

// What the time limit says as it ends the process: made before the timer
// runs, because its signal handler may do no more than write it out.
char timeLimitMessage[512];
size_t timeLimitMessageLength = 0;

void EndAtTimeLimit(int) {
    const ssize_t written = write(STDERR_FILENO, timeLimitMessage, timeLimitMessageLength);
    static_cast<void>(written);
    _exit(EXIT_NOT_A_SCENE);
}

void SetTimer(int milliseconds) {
    itimerval timer = {};
    timer.it_value.tv_sec = milliseconds / 1000;
    timer.it_value.tv_usec = milliseconds % 1000 * 1000;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

// The output file is made only after StopTimeLimit, so the process never
// ends here with a file of its own half written.
void StartTimeLimit(int milliseconds, const std::string& input) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", milliseconds / 1000.0);
    const std::string message = "tvntool: " + input + " took more than " + seconds + " seconds to draw; no thumbnail";
    // A long name is cut; the line still ends.
    timeLimitMessageLength = std::min(message.size(), sizeof timeLimitMessage - 1);
    std::memcpy(timeLimitMessage, message.data(), timeLimitMessageLength);
    timeLimitMessage[timeLimitMessageLength++] = '\n';
    struct sigaction action = {};
    action.sa_handler = EndAtTimeLimit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    SetTimer(milliseconds);
}

void StopTimeLimit() {
    SetTimer(0);
    std::signal(SIGALRM, SIG_DFL);
}

// BMP and JPEG go through the viewer's own screen-shot writers, at the
// quality of its "High" setting.
bool WriteShot(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height, bool bmp) {
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i), rgba.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    }
    CShotFrame frame;
    frame.SetFromRgbRows(width, height, rgb.data());
    CScreenShot::Settings settings;
    settings.fileType = bmp ? CScreenShot::BMP : CScreenShot::JPEG;
    settings.jpegQuality = 2;
    COutputFile file;
    std::string failure;
    return file.Create(path) && CScreenShot(settings).Write(frame, file.Stream(), failure) && file.Commit();
}

// "out.png" numbered: "out000.png", "out001.png", ...
std::string NumberedName(const std::string& output, int index) {
    const size_t dot = output.find_last_of('.');
    const size_t slash = output.find_last_of('/');
    const size_t split = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : output.size();
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index);
    return output.substr(0, split) + number + output.substr(split);
}

}  // namespace

int RunRender(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Renders offscreen the first frame the viewer would paint, after N redraw-timer\n"
                    "ticks (default 0), at WxH pixels (default 640x480), and writes it as PNG, BMP\n"
                    "or JPEG by the name's ending. A model or sprite file (or ARCHIVE.pak:entry)\n"
                    "is shown as the viewer shows it, in a scene made for it, wearing skin N\n"
                    "(default 0) and playing the named animation (default its first).\n"
                    "With --frames N, writes N pictures OUT000, OUT001, ... K ticks apart\n"
                    "(--every K, default 1).\n"
                    "Exit codes as for info; nothing is written when the scene fails to load.\n",
                    renderUsage);
        return EXIT_LOADED;
    }
    static const option options[] = {
        { "output", required_argument, nullptr, 'o' },    { "size", required_argument, nullptr, 's' },
        { "ticks", required_argument, nullptr, 't' },     { "grid", no_argument, nullptr, 'g' },
        { "axis", no_argument, nullptr, 'a' },            { "animation", required_argument, nullptr, 'n' },
        { "skin", required_argument, nullptr, 'k' },      { "frames", required_argument, nullptr, 'f' },
        { "every", required_argument, nullptr, 'e' },     { nullptr, 0, nullptr, 0 },
    };
    std::string output;
    int width = 640, height = 480, ticks = 0, frames = 1, every = 1;
    bool grid = false, axis = false, numbered = false, modelOptions = false;
    ModelSceneChoice choice;
    optind = 1;
    opterr = 0;
    const auto count = [](const char* text, int least, int& value) {
        char end = 0;
        return std::sscanf(text, "%d%c", &value, &end) == 1 && value >= least && value <= 1000000;
    };
    for (int option; (option = getopt_long(argc, argv, "o:", options, nullptr)) != -1;) {
        switch (option) {
        case 'o': output = optarg; break;
        case 's':
            if (std::sscanf(optarg, "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 8192 ||
                height > 8192) {
                return Fail(EXIT_USAGE, std::string("--size wants WIDTHxHEIGHT from 1x1 to 8192x8192, not ") + optarg);
            }
            break;
        case 't':
            if (!count(optarg, 0, ticks)) {
                return Fail(EXIT_USAGE, std::string("--ticks wants a count of 0 or more, not ") + optarg);
            }
            break;
        case 'f':
            if (!count(optarg, 1, frames)) {
                return Fail(EXIT_USAGE, std::string("--frames wants a count of 1 or more, not ") + optarg);
            }
            numbered = true;
            break;
        case 'e':
            if (!count(optarg, 1, every)) {
                return Fail(EXIT_USAGE, std::string("--every wants a count of 1 or more, not ") + optarg);
            }
            break;
        case 'n': choice.animation = optarg; modelOptions = true; break;
        case 'k':
            if (!count(optarg, 0, choice.skin)) {
                return Fail(EXIT_USAGE, std::string("--skin wants a skin number from 0, not ") + optarg);
            }
            modelOptions = true;
            break;
        case 'g': grid = true; break;
        case 'a': axis = true; break;
        default: return Usage(renderUsage);
        }
    }
    if (optind != argc - 1 || output.empty()) {
        return Usage(renderUsage);
    }
    const bool png = EndsWith(output, ".png");
    const bool bmp = EndsWith(output, ".bmp");
    const bool jpeg = EndsWith(output, ".jpg") || EndsWith(output, ".jpeg");
    if (!png && !bmp && !jpeg) {
        return Fail(EXIT_USAGE, "the picture's name must end in .png, .bmp or .jpg: " + output);
    }
    const std::string input = argv[optind];
    if (modelOptions && !IsModelPath(input)) {
        return Fail(EXIT_USAGE, "--animation and --skin are for model files, and " + input + " is none");
    }
    CToolScene loaded;
    std::string error;
    if (!loaded.CreateContext(width, height, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    if (loaded.Load(input, choice) == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    loaded.viewport->gridOn = grid;
    loaded.viewport->axisIndicatorOn = axis;
    for (int i = 0; i < ticks; i++) {
        loaded.scene->AnimateAll();
    }
    const auto start = std::chrono::steady_clock::now();
    bool progressShown = false;
    for (int frame = 0; frame < frames; frame++) {
        for (int i = 0; frame > 0 && i < every; i++) {
            loaded.scene->AnimateAll();
        }
        loaded.Paint();
        const std::vector<uint8_t> rgba = loaded.context.ReadPixels(0, 0, width, height);
        const std::string name = numbered ? NumberedName(output, frame) : output;
        if (!(png ? WritePng(name, rgba, width, height) : WriteShot(name, rgba, width, height, bmp))) {
            if (progressShown) {
                std::fputc('\n', stderr);
            }
            return Fail(EXIT_NOT_A_SCENE, "cannot write " + name);
        }
        // One line, rewritten in place, once the run has taken a second.
        if (numbered && (progressShown || std::chrono::steady_clock::now() - start > std::chrono::seconds(1))) {
            std::fprintf(stderr, "\rtvntool: %d of %d pictures written", frame + 1, frames);
            progressShown = true;
        }
    }
    if (progressShown) {
        std::fputc('\n', stderr);
    }
    return Conclude(loaded);
}

int RunThumbnail(int argc, char** argv) {
    return RunThumbnailWithin(argc, argv, THUMBNAIL_SECONDS * 1000);
}

int RunThumbnailWithin(int argc, char** argv, int limitMilliseconds) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Writes a PNG of at most SIZE x SIZE pixels (%d to %d) of a scene, or of a\n"
                    "model or sprite file in the scene the viewer makes for it, for file managers.\n"
                    "Gives up after %d seconds. Exit 0 when written, 2 when the file is no scene\n"
                    "or model, takes too long, or the picture cannot be written.\n",
                    thumbnailUsage, MIN_THUMBNAIL_SIZE, MAX_THUMBNAIL_SIZE, THUMBNAIL_SECONDS);
        return EXIT_LOADED;
    }
    int size = 0;
    char end = 0;
    if (argc != 4 || argv[1][0] == '-' || argv[2][0] == '-' || std::sscanf(argv[3], "%d%c", &size, &end) != 1) {
        return Usage(thumbnailUsage);
    }
    if (size < MIN_THUMBNAIL_SIZE || size > MAX_THUMBNAIL_SIZE) {
        return Fail(EXIT_USAGE, "the size must be from " + std::to_string(MIN_THUMBNAIL_SIZE) + " to " +
                                    std::to_string(MAX_THUMBNAIL_SIZE) + ", not " + argv[3]);
    }
    StartTimeLimit(limitMilliseconds, argv[1]);
    Thumbnail picture;
    std::string error;
    const bool made = MakeThumbnail(argv[1], size, picture, error);
    StopTimeLimit();
    if (!made) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    if (!WritePng(argv[2], picture.rgba, picture.width, picture.height)) {
        return Fail(EXIT_NOT_A_SCENE, std::string("cannot write ") + argv[2]);
    }
    return EXIT_LOADED;
}
