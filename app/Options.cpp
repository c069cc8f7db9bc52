#include "app/Options.h"

#include "world/FrameFiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// The options freeglut's glutInit understands, and whether each takes a value.
struct GlutOption {
    const char* name;
    bool takesValue;
};
constexpr GlutOption kGlutOptions[] = {
    {"-display", true},
    {"-geometry", true},
    {"-direct", false},
    {"-indirect", false},
    {"-iconic", false},
    {"-gldebug", false},
    {"-sync", false},
};

const GlutOption* findGlutOption(const char* argument)
{
    for (const GlutOption& option : kGlutOptions)
        if (std::strcmp(argument, option.name) == 0) return &option;
    return nullptr;
}

enum class Number { valid,
                    invalid,
                    tooLarge };

// A whole decimal number with nothing around it; no sign games, no overflow.
// A number past INT_MAX is told apart, so that the message can say that it
// is the size that is wrong, not the form.
Number readInt(const char* text, int& value)
{
    if (text[0] == '\0' || std::strchr(" \t\n+", text[0]) != nullptr) return Number::invalid;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (*end != '\0') return Number::invalid;
    if ((errno == ERANGE && parsed > 0) || parsed > INT_MAX) return Number::tooLarge;
    if (errno == ERANGE || parsed < INT_MIN) return Number::invalid;
    value = int(parsed);
    return Number::valid;
}

// Splits "--name=value" into its parts; a plain "--name" has no value here.
bool matches(const char* argument, const char* name, const char*& inlineValue)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0) return false;
    if (argument[length] == '\0') {
        inlineValue = nullptr;
        return true;
    }
    if (argument[length] == '=') {
        inlineValue = argument + length + 1;
        return true;
    }
    return false;
}
}  // namespace

const char* usageLine()
{
    return "usage: blorp [--scene N] [--scene-file FILE] [--bodies K] [--export [--rib TARGET] [--binary] [--image-size WxH]] "
           "[--headless --steps N] "
           "[--realtime] [--keep-aspect] [--size WxH] [--shots DIR] [--record FILE [--record-every N]] "
           "[--mesh-cache DIR] [--collide-bodies] [--write-scene N FILE] [--help] "
           "[GLUT options such as -display DISPLAY, -geometry WxH+X+Y]";
}

const char* keysText()
{
    return "Keys (lower case only; every key also redraws):\n"
           "  w   switch the bodies between surfaces and spring lines\n"
           "  z   push the smallest-x side of every active body toward +x\n"
           "  c   push the largest-x side toward -x\n"
           "  x   push the smallest-y side up\n"
           "  s   push the largest-y side down\n"
           "  a   push the smallest-z side toward +z\n"
           "  d   push the largest-z side toward -z\n"
           "  o   kick mass point (0,0,0) of every active body toward -x\n"
           "  p   kick mass point (0,0,0) of every active body toward +x\n"
           "  m   kick mass point (0,1,1) of the first active body upwards\n"
           "  n   drop in the next prepared body\n"
           "  q   quit\n"
           "  space  pause or resume the simulation (pushes wait for the next step)\n"
           "  .   while paused: one step\n"
           "  r   restart the scene from its start, with as many bodies active\n"
           "  [ ] the previous / next scene of the catalogue, from its start\n"
           "  t   real-time playback on or off\n"
           "  g   draw the room: the floor and the four walls\n"
           "  b   contact between bodies on or off (they pass through each other when off)\n"
           "  i   statistics line          h   this help\n"
           "  F2  screenshot: blorp-SCENE-STEP.png in the working directory or --shots DIR\n"
           "  arrows  orbit the camera; Page Up/Down and the wheel zoom; Home: fixed view\n"
           "Mouse button releases: left pushes like z, middle like x, right like c.\n"
           "Shift + left drag orbits; Ctrl + left drag pulls the nearest mass point\n"
           "along with the pointer. A release with Shift or Ctrl held does not push.\n";
}

const char* helpText()
{
    static const std::string text =
        std::string(
            "usage: blorp [--scene N] [--scene-file FILE] [--bodies K]\n"
            "             [--export [--rib TARGET] [--binary] [--image-size WxH]]\n"
            "             [--headless --steps N] [--realtime] [--keep-aspect] [--size WxH]\n"
            "             [--shots DIR] [--record FILE [--record-every N]] [--mesh-cache DIR]\n"
            "             [--collide-bodies] [--write-scene N FILE] [--help] [GLUT options]\n"
            "Blorp Madness: blocks of gelatine falling into a room, simulated live.\n"
            "\n"
            "Options:\n"
            "  --scene N     build scene N, 0 to 12 (default 12: one block; 6: an empty room)\n"
            "  --scene-file FILE  build the scene that FILE describes (TOML, see\n"
            "                docs/scene-files.md); r re-reads it. A file with mistakes\n"
            "                is reported, one line per problem, and nothing starts\n"
            "  --write-scene N FILE  write catalogue scene N as a scene file and exit\n"
            "  --bodies K    activate the first K bodies the scene prepares (default 1; a\n"
            "                scene has at most 5, a larger K activates them all)\n"
            "  --export      write the scene as RenderMan RIB after every step, one frame\n"
            "                every eighth step (images blorp000.tif, blorp001.tif, ...);\n"
            "                q or closing the window finishes the output\n"
            "  --rib TARGET  where --export writes: a file name (default blorp10.rib),\n"
            "                \"|command\" to pipe into a renderer, or - for standard output;\n"
            "                the names rendrib, rgl and prman run those renderers;\n"
            "                a name with one number conversion such as out/s7.%04d.rib\n"
            "                writes each frame to a file of its own (write % as %%)\n"
            "  --binary      write the RIB's floats in binary encoding (smaller, faster)\n"
            "  --image-size WxH  the size of the rendered images (default 400x400)\n"
            "  --headless    no window: build the world, run --steps N steps (exporting\n"
            "                after each with --export), finish the output and exit; works\n"
            "                without a display. Shows a progress bar when standard error is\n"
            "                a terminal, and always ends with a one-line summary\n"
            "  --steps N     the number of steps of a --headless run (needs --headless)\n"
            "  --realtime    start with real-time playback (t): simulated time keeps pace\n"
            "                with the clock instead of one step per drawn frame\n"
            "  --keep-aspect keep the picture's proportions when the window is resized\n"
            "  --size WxH    the window's first size (default 800x800)\n"
            "  --shots DIR   where F2 writes its screenshots (default: the working directory)\n"
            "  --record FILE record the window into FILE (.mp4, .webm or .gif) through\n"
            "                ffmpeg, at the speed the simulation runs; q, closing the\n"
            "                window, Ctrl-C or SIGTERM finish the file\n"
            "  --record-every N  one video frame every N steps (default 1)\n"
            "  --mesh-cache DIR  write DIR/blorp.NNNN.obj every eighth step, and per body\n"
            "                DIR/body-K.obj with its point cache DIR/body-K.pc2\n"
            "  --collide-bodies  bodies collide with each other instead of passing\n"
            "                through (b switches it in the window)\n"
            "  --help        print this text and exit\n"
            "  GLUT's own options (-display, -geometry, -direct, -indirect, -iconic,\n"
            "  -gldebug, -sync) are passed on to GLUT; -geometry wins over --size.\n"
            "  --headless ignores GLUT's options and the window's (--realtime,\n"
            "  --keep-aspect, --size).\n"
            "Ctrl-C or SIGTERM stops a run after the step under way and finishes the\n"
            "output (status 130 or 143); an output that fails stops it (status 1).\n"
            "\n") +
        keysText();
    return text.c_str();
}

namespace {
// The options without a value, and what each turns on.
struct Flag {
    const char* name;
    bool ViewerOptions::*field;
};
constexpr Flag kFlags[] = {
    {"--export", &ViewerOptions::exportsFrames},
    {"--binary", &ViewerOptions::writesBinaryRib},
    {"--headless", &ViewerOptions::isHeadless},
    {"--realtime", &ViewerOptions::isRealtime},
    {"--keep-aspect", &ViewerOptions::keepsAspect},
    {"--collide-bodies", &ViewerOptions::collidesBodies},
};

const Flag* findFlag(const char* argument)
{
    for (const Flag& flag : kFlags)
        if (std::strcmp(argument, flag.name) == 0) return &flag;
    return nullptr;
}

// The options that take a value, as "--name VALUE" or "--name=VALUE".
enum class Valued { none,
                    scene,
                    bodies,
                    rib,
                    steps,
                    size,
                    shots,
                    record,
                    recordEvery,
                    meshCache,
                    imageSize,
                    sceneFile };

Valued valuedOption(const char* argument, const char*& inlineValue)
{
    if (matches(argument, "--scene-file", inlineValue)) return Valued::sceneFile;
    if (matches(argument, "--scene", inlineValue)) return Valued::scene;
    if (matches(argument, "--bodies", inlineValue)) return Valued::bodies;
    if (matches(argument, "--rib", inlineValue)) return Valued::rib;
    if (matches(argument, "--steps", inlineValue)) return Valued::steps;
    if (matches(argument, "--size", inlineValue)) return Valued::size;
    if (matches(argument, "--shots", inlineValue)) return Valued::shots;
    if (matches(argument, "--record", inlineValue)) return Valued::record;
    if (matches(argument, "--record-every", inlineValue)) return Valued::recordEvery;
    if (matches(argument, "--mesh-cache", inlineValue)) return Valued::meshCache;
    if (matches(argument, "--image-size", inlineValue)) return Valued::imageSize;
    return Valued::none;
}

const char* valuedName(Valued option)
{
    switch (option) {
    case Valued::scene: return "--scene";
    case Valued::bodies: return "--bodies";
    case Valued::rib: return "--rib";
    case Valued::steps: return "--steps";
    case Valued::size: return "--size";
    case Valued::shots: return "--shots";
    case Valued::record: return "--record";
    case Valued::recordEvery: return "--record-every";
    case Valued::meshCache: return "--mesh-cache";
    case Valued::imageSize: return "--image-size";
    case Valued::sceneFile: return "--scene-file";
    case Valued::none: break;
    }
    return "";
}

// An empty name, a "|" without a command, or a value that looks like the
// next option (a forgotten TARGET) would only fail later, after the world is
// built, or write a file nobody meant to.
bool isRibTarget(const char* value)
{
    if (std::strcmp(value, ViewerOptions::kStandardOutput) == 0) return true;
    if (value[0] == '\0' || value[0] == '-') return false;
    if (value[0] == '|') return value[1 + std::strspn(value + 1, " \t")] != '\0';
    return true;
}

// "WxH", two whole numbers from 1 to `largest`.
bool readSize(const char* value, int largest, int& width, int& height)
{
    const char* cross = std::strchr(value, 'x');
    if (cross == nullptr) return false;
    const std::string widthText(value, cross);
    int w = 0, h = 0;
    if (readInt(widthText.c_str(), w) != Number::valid || readInt(cross + 1, h) != Number::valid) return false;
    if (w < 1 || h < 1 || w > largest || h > largest) return false;
    width = w;
    height = h;
    return true;
}

// A directory or file name; an empty one, or one that looks like the next
// option, is a forgotten value.
bool isPathValue(const char* value) { return value[0] != '\0' && value[0] != '-'; }

// ffmpeg picks the container from the name, and the recorder its encoder.
bool isVideoName(const std::string& name)
{
    for (const char* extension : {".mp4", ".webm", ".gif"}) {
        const size_t length = std::strlen(extension);
        if (name.size() > length && name.compare(name.size() - length, length, extension) == 0) return true;
    }
    return false;
}

// Applies one valued option; false with `problem` set when the value is bad.
bool readValue(Valued option, const char* value, ViewerOptions& options, std::string& problem)
{
    const std::string quoted = "'" + std::string(value) + "'";
    int number = 0;
    switch (option) {
    case Valued::scene:
        if (readInt(value, number) != Number::valid || number < ViewerOptions::kFirstScene ||
            number > ViewerOptions::kLastScene) {
            problem = "--scene takes a scene number from 0 to 12, not " + quoted;
            return false;
        }
        options.scene = number;
        return true;
    case Valued::shots:
    case Valued::meshCache:
        if (!isPathValue(value)) {
            problem = std::string(valuedName(option)) + " takes a directory, not " + quoted;
            return false;
        }
        (option == Valued::shots ? options.shotsDirectory : options.meshCacheDirectory) = value;
        return true;
    case Valued::record:
        if (!isPathValue(value) || !isVideoName(value)) {
            problem = "--record takes a file name ending in .mp4, .webm or .gif, not " + quoted;
            return false;
        }
        options.recordFile = value;
        return true;
    case Valued::bodies:
    case Valued::recordEvery:
    case Valued::steps: {
        const char* name = valuedName(option);
        const Number read = readInt(value, number);
        if (read == Number::tooLarge) {
            problem = std::string(name) + " takes a number no larger than " + std::to_string(INT_MAX) + "; " +
                      quoted + " is too large";
            return false;
        }
        if (read == Number::invalid || number < 1) {
            problem = std::string(name) + " takes a whole number of 1 or more, not " + quoted;
            return false;
        }
        (option == Valued::steps ? options.steps : option == Valued::bodies ? options.bodies
                                                                            : options.recordEvery) =
            number;
        options.isBodiesGiven = options.isBodiesGiven || option == Valued::bodies;
        return true;
    }
    case Valued::sceneFile:
        if (value[0] == '\0') {
            problem = "--scene-file takes a file name, not ''";
            return false;
        }
        options.sceneFile = value;
        return true;
    case Valued::size:
        if (!readSize(value, ViewerOptions::kMaxWindowSize, options.windowWidth, options.windowHeight)) {
            problem = "--size takes a width and height in pixels such as 800x600, not " + quoted;
            return false;
        }
        return true;
    case Valued::imageSize:
        if (!readSize(value, ViewerOptions::kMaxImageSize, options.imageWidth, options.imageHeight)) {
            problem = "--image-size takes a width and height in pixels such as 1280x720, not " + quoted;
            return false;
        }
        return true;
    case Valued::rib:
        if (!isRibTarget(value)) {
            problem = "--rib takes a file name, \"|command\" or \"-\", not " + quoted;
            return false;
        }
        if (std::string why; frameFiles::isPattern(value) && !frameFiles::checkPattern(value, why)) {
            problem = "--rib " + quoted + " cannot name one file per frame: " + why;
            return false;
        }
        options.ribTarget = value;
        return true;
    case Valued::none: break;
    }
    return false;
}

}  // namespace

bool parseOptions(int argc, char** argv, ViewerOptions& options, std::string& problem)
{
    options = ViewerOptions();
    if (argc > 0) options.glutArguments.push_back(argv[0]);
    bool isRibGiven = false;
    bool isRecordEveryGiven = false;
    bool isImageSizeGiven = false;
    bool isSceneGiven = false;
    int ownOptions = 0;  // the program's own options, for --write-scene, which goes alone

    for (int a = 1; a < argc; ++a) {
        const char* argument = argv[a];
        const char* value = nullptr;

        // --write-scene N FILE takes two values.
        if (std::strcmp(argument, "--write-scene") == 0) {
            if (a + 2 >= argc) {
                problem = "--write-scene needs a scene number and a file name";
                return false;
            }
            int number = 0;
            if (readInt(argv[a + 1], number) != Number::valid || number < ViewerOptions::kFirstScene ||
                number > ViewerOptions::kLastScene) {
                problem = "--write-scene takes a scene number from 0 to 12, not '" + std::string(argv[a + 1]) + "'";
                return false;
            }
            if (argv[a + 2][0] == '\0') {
                problem = "--write-scene takes a file name, not ''";
                return false;
            }
            options.writeScene = number;
            options.writeSceneTarget = argv[a + 2];
            a += 2;
            continue;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options.showHelp = true;
            continue;
        }
        if (const Flag* flag = findFlag(argument)) {
            options.*(flag->field) = true;
            ++ownOptions;
            continue;
        }
        if (const Valued option = valuedOption(argument, value); option != Valued::none) {
            if (value == nullptr) {
                if (a + 1 >= argc) {
                    problem = std::string(valuedName(option)) + " needs a value";
                    return false;
                }
                value = argv[++a];
            }
            if (!readValue(option, value, options, problem)) return false;
            isRibGiven = isRibGiven || option == Valued::rib;
            isRecordEveryGiven = isRecordEveryGiven || option == Valued::recordEvery;
            isImageSizeGiven = isImageSizeGiven || option == Valued::imageSize;
            isSceneGiven = isSceneGiven || option == Valued::scene;
            ++ownOptions;
            continue;
        }
        if (const GlutOption* glut = findGlutOption(argument)) {
            options.glutArguments.push_back(argv[a]);
            if (glut->takesValue) {
                if (a + 1 >= argc) {
                    problem = std::string(argument) + " needs a value";
                    return false;
                }
                options.glutArguments.push_back(argv[++a]);
            }
            continue;
        }
        problem = argument[0] == '-' ? "unknown option '" + std::string(argument) + "'"
                                     : "unexpected argument '" + std::string(argument) + "'";
        return false;
    }

    // Options that would silently do nothing are mistakes worth naming: a
    // headless run needs a length (there is no 'q' to end it), and a window
    // ends by the user, not after a count.
    if (options.showHelp) return true;
    if (options.writeScene >= 0 && ownOptions > 0) {
        problem = "--write-scene takes no other option";
        return false;
    }
    if (isSceneGiven && !options.sceneFile.empty()) {
        problem = "--scene and --scene-file do not go together";
        return false;
    }
    if (options.isHeadless && options.steps == 0) {
        problem = "--headless needs --steps N";
        return false;
    }
    if (!options.isHeadless && options.steps != 0) {
        problem = "--steps works only with --headless";
        return false;
    }
    if (!options.exportsFrames && (isRibGiven || options.writesBinaryRib || isImageSizeGiven)) {
        problem = std::string(isRibGiven ? "--rib" : options.writesBinaryRib ? "--binary"
                                                                             : "--image-size") +
                  " works only with --export";
        return false;
    }
    // A headless run draws no picture to keep.
    if (options.isHeadless && (!options.shotsDirectory.empty() || !options.recordFile.empty())) {
        problem = std::string(options.recordFile.empty() ? "--shots" : "--record") +
                  " needs the window: a --headless run draws no picture";
        return false;
    }
    if (isRecordEveryGiven && options.recordFile.empty()) {
        problem = "--record-every works only with --record";
        return false;
    }
    return true;
}
