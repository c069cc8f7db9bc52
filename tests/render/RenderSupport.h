#pragma once

// Helpers of the render tests: running the project's programs and a
// renderer, cutting one frame out of an export, reading TIFF pictures.

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

struct CommandResult {
    int status = -1;     // exit status, or -1 when the command did not exit normally
    std::string output;  // standard output and standard error, interleaved
};

// Runs a shell command line, capturing both output streams.
CommandResult run(const std::string& commandLine);

// Quotes a word for the shell.
std::string quoted(const std::string& word);

// True when a program of that name is on PATH.
bool onPath(const std::string& program);

// A fresh, empty folder for one test under the current working directory,
// by its absolute path.
std::string freshFolder(const std::string& name);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// The RIB of one frame of an export, text or binary: everything before the
// first FrameBegin (the header), then FrameBegin n through its FrameEnd.
// Empty when the export has no frame n.
std::string cutFrame(const std::string& rib, int frame);

// Splits a text frame into its lines and keeps, of the attribute blocks
// directly inside the world, only those for which keep(block) is true.
// Everything outside such blocks stays.
std::string keepBlocks(const std::string& frame, bool (*keep)(const std::string& block));

// The lines of a renderer's output that are errors or warnings, except the
// ones about geometry the scenes are known to cause.
std::vector<std::string> renderProblems(const std::string& output);

struct Picture {
    int width = 0;
    int height = 0;
    int samplesPerPixel = 0;
    int bitsPerSample = 0;
    int directories = 0;      // more than one for a mipmapped texture
    std::vector<float> rgba;  // rows top to bottom, 0 to 1, not premultiplied back
    float channel(int x, int y, int c) const { return rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4 + std::size_t(c)]; }
};

// Reads the first picture of a TIFF file; width 0 when it cannot be read.
Picture readTiff(const std::string& path);

}  // namespace rendertest
