#pragma once

#include "world/World.h"

#include <string>
#include <vector>

/// What the viewer's own command-line options ask for. Everything else on the
/// command line belongs to GLUT and is handed on to glutInit.
struct ViewerOptions {
    static constexpr int kFirstScene = 0;
    static constexpr int kLastScene = 12;
    static constexpr const char* kDefaultRibTarget = "blorp10.rib";
    /// The --rib value that sends the RIB to standard output.
    static constexpr const char* kStandardOutput = "-";

    int scene = World::kDefaultScene;  ///< --scene N: the scene the world is built with
    int bodies = 1;  ///< --bodies K: prepared bodies active from the start
    bool showHelp = false;  ///< --help or -h
    /// --export: World::exportFrame after every World::step.
    bool exportsFrames = false;
    /// --rib TARGET: a file name, "|command", or "-" for standard output.
    std::string ribTarget = kDefaultRibTarget;
    bool writesBinaryRib = false;  ///< --binary: binary-encoded floats in the RIB
    bool isHeadless = false;  ///< --headless: no window, no OpenGL, no GLUT
    int steps = 0;  ///< --steps N: world steps of a headless run (0: not given)
    /// argv[0] and every GLUT option with its value, in their original order.
    std::vector<char*> glutArguments;
};

/// The one-line usage summary, without a line end.
const char* usageLine();
/// The --help text: options and keys, ending with a line end.
const char* helpText();

/// Reads argv (argc entries, argv[0] the program name). On a bad option or
/// value, or options that do not go together, returns false and describes the
/// problem in `problem` (one short phrase, no usage); `options` is then
/// unspecified. The char pointers in glutArguments point into argv.
bool parseOptions(int argc, char** argv, ViewerOptions& options, std::string& problem);
