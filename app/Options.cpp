#include "app/Options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
// The options freeglut's glutInit understands, and whether each takes a value.
struct GlutOption {
    const char* name;
    bool takesValue;
};
constexpr GlutOption kGlutOptions[] = {
    {"-display", true}, {"-geometry", true}, {"-direct", false}, {"-indirect", false},
    {"-iconic", false}, {"-gldebug", false}, {"-sync", false},
};

const GlutOption* findGlutOption(const char* argument)
{
    for (const GlutOption& option : kGlutOptions)
        if (std::strcmp(argument, option.name) == 0) return &option;
    return nullptr;
}

// A whole decimal number with nothing around it; no sign games, no overflow.
bool readInt(const char* text, int& value)
{
    if (text[0] == '\0' || std::strchr(" \t\n+", text[0]) != nullptr) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = int(parsed);
    return true;
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
    return "usage: blorp [--scene N] [--bodies K] [--help] [GLUT options such as -display DISPLAY, "
           "-geometry WxH+X+Y]";
}

const char* helpText()
{
    return "usage: blorp [--scene N] [--bodies K] [--help] [GLUT options]\n"
           "Blorp Madness: blocks of gelatine falling into a room, simulated live.\n"
           "\n"
           "Options:\n"
           "  --scene N    build scene N, 0 to 12 (default 12: one block; 6 is an empty room)\n"
           "  --bodies K   activate the first K bodies the scene prepares (default 1; a\n"
           "               scene has at most 5, a larger K activates them all)\n"
           "  --help       print this text and exit\n"
           "  GLUT's own options (-display, -geometry, -direct, -indirect, -iconic,\n"
           "  -gldebug, -sync) are passed on to GLUT.\n"
           "\n"
           "Keys (lower case only; every key also redraws):\n"
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
           "Mouse button releases: left pushes like z, middle like x, right like c.\n";
}

bool parseOptions(int argc, char** argv, ViewerOptions& options, std::string& problem)
{
    options = ViewerOptions();
    if (argc > 0) options.glutArguments.push_back(argv[0]);

    for (int a = 1; a < argc; ++a) {
        const char* argument = argv[a];
        const char* value = nullptr;

        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options.showHelp = true;
            continue;
        }
        const bool isScene = matches(argument, "--scene", value);
        const bool isBodies = !isScene && matches(argument, "--bodies", value);
        if (isScene || isBodies) {
            const char* name = isScene ? "--scene" : "--bodies";
            if (value == nullptr) {
                if (a + 1 >= argc) {
                    problem = std::string(name) + " needs a value";
                    return false;
                }
                value = argv[++a];
            }
            int number = 0;
            if (isScene) {
                if (!readInt(value, number) || number < ViewerOptions::kFirstScene ||
                    number > ViewerOptions::kLastScene) {
                    problem = "--scene takes a scene number from 0 to 12, not '" + std::string(value) + "'";
                    return false;
                }
                options.scene = number;
            } else {
                if (!readInt(value, number) || number < 1) {
                    problem = "--bodies takes a whole number of 1 or more, not '" + std::string(value) + "'";
                    return false;
                }
                options.bodies = number;
            }
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
    return true;
}
