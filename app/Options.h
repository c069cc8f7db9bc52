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
    static constexpr int kDefaultWindowSize = 800;
    /// Largest --size side: beyond any screen, and small enough for GLUT.
    static constexpr int kMaxWindowSize = 16384;
    static constexpr int kDefaultImageSize = 400;
    /// Largest --image-size side, far beyond any renderer's practical image.
    static constexpr int kMaxImageSize = 65536;

    int scene = World::kDefaultScene;  ///< --scene N: the scene the world is built with
    int bodies = 1;                    ///< --bodies K: prepared bodies active from the start
    bool isBodiesGiven = false;        ///< --bodies was given: it wins over a scene file's active-bodies
    /// --scene-file FILE: the scene is read from FILE instead of the catalogue.
    std::string sceneFile;
    /// --write-scene N FILE: write catalogue scene N to FILE and exit (-1: not given).
    int writeScene = -1;
    std::string writeSceneTarget;
    bool showHelp = false;  ///< --help or -h
    /// --export: World::exportFrame after every World::step.
    bool exportsFrames = false;
    /// --rib TARGET: a file name, "|command", "-" for standard output, or a
    /// pattern with one integer conversion for one file per frame.
    std::string ribTarget = kDefaultRibTarget;
    bool writesBinaryRib = false;  ///< --binary: binary-encoded floats in the RIB
    /// --image-size WxH: the size each exported frame's Format asks for.
    int imageWidth = kDefaultImageSize;
    int imageHeight = kDefaultImageSize;
    bool isHeadless = false;  ///< --headless: no window, no OpenGL, no GLUT
    int steps = 0;            ///< --steps N: world steps of a headless run (0: not given)
    /// --realtime: the viewer starts with real-time playback on.
    bool isRealtime = false;
    /// --keep-aspect: the picture keeps its proportions when the window is resized.
    bool keepsAspect = false;
    /// --collide-bodies: bodies collide with each other (b toggles it in the viewer).
    bool collidesBodies = false;
    /// --size WxH: the first window's size in pixels (GLUT's -geometry wins over it).
    int windowWidth = kDefaultWindowSize;
    int windowHeight = kDefaultWindowSize;
    /// --shots DIR: where F2 writes its screenshots (empty: the working directory).
    std::string shotsDirectory;
    /// --record FILE: the video (.mp4, .webm or .gif) ffmpeg makes of the drawn frames.
    std::string recordFile;
    /// --record-every N: one video frame for every N steps (every Nth drawn frame).
    int recordEvery = 1;
    /// --mesh-cache DIR: OBJ frames and PC2 point caches, every eighth step.
    std::string meshCacheDirectory;
    /// argv[0] and every GLUT option with its value, in their original order.
    std::vector<char*> glutArguments;
};

/// The one-line usage summary, without a line end.
const char* usageLine();
/// The --help text: options and keys, ending with a line end.
const char* helpText();
/// The keys and mouse actions of the viewer, one per line, ending with a
/// line end; part of helpText and the viewer's help overlay.
const char* keysText();

/// Reads argv (argc entries, argv[0] the program name). On a bad option or
/// value, or options that do not go together, returns false and describes the
/// problem in `problem` (one short phrase, no usage); `options` is then
/// unspecified. The char pointers in glutArguments point into argv.
bool parseOptions(int argc, char** argv, ViewerOptions& options, std::string& problem);
