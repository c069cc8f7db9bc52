// ribcheck: checks RIB files as a renderer would read them and reports what
// it would reject, one line per finding.

#include "tools/ribcheck/RibChecker.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {
constexpr int kClean = 0;
constexpr int kProblemsFound = 1;
constexpr int kUsageOrInputError = 2;

const char* const kUsage =
    "usage: ribcheck [--allow-partial-meshes] [--verbose] FILE... (\"-\" reads standard input)";

const char* const kHelp =
    "usage: ribcheck [OPTION]... FILE...\n"
    "Checks RenderMan RIB files, in text or with binary-encoded floats, and reports\n"
    "each problem on standard output as FILE:LINE: message:\n"
    "  - FrameBegin/End, WorldBegin/End, AttributeBegin/End, TransformBegin/End\n"
    "    (and Solid, Object, Motion blocks) that do not pair up;\n"
    "  - blocks and requests where renderers refuse them: WorldBegin inside any\n"
    "    block but a frame, FrameBegin inside a frame or world, options and camera\n"
    "    requests inside the world, geometry and lights outside it, motion blocks\n"
    "    holding requests that cannot be moving or not one per time given, object\n"
    "    definitions holding lights, shaders or options;\n"
    "  - unknown requests, and arguments of the wrong kind or number;\n"
    "  - parameter arrays whose length does not match the request: \"P\" on\n"
    "    Polygon, Patch and PatchMesh (with the steps of the current Basis),\n"
    "    the quadrics, colours, and every declared parameter; undeclared ones.\n"
    "A summary line per file goes to standard error. \"-\" reads standard input.\n"
    "\n"
    "Options:\n"
    "  --allow-partial-meshes  report bicubic patch meshes whose point counts do\n"
    "                          not fit the basis step (with the Bezier step of 3,\n"
    "                          counts other than 4, 7, 10, ...) as notes, not\n"
    "                          problems, for files of programs that write them.\n"
    "                          Strict renderers refuse such meshes or draw them\n"
    "                          wrongly; blorp writes none.\n"
    "  --verbose               print every note; without it a note that repeats\n"
    "                          is printed once, on its first line, with its count.\n"
    "  -h, --help              show this help.\n"
    "\n"
    "Exit status: 0 when no file has a problem, 1 when problems were found,\n"
    "2 on a usage error or a file that cannot be read.\n";

/// Checks one stream and prints its findings and summary; returns its
/// number of problems. Unless `isVerbose`, the notes of each kind are held
/// back and printed once at the end, the first of them with their count.
long checkStream(std::istream& input, const std::string& name, const ribcheck::CheckOptions& options,
                 bool isVerbose)
{
    struct RepeatedNote {
        ribcheck::Finding first;
        long count = 0;
    };
    std::vector<RepeatedNote> heldNotes;
    std::map<std::string, size_t> noteByKind;
    auto print = [&name](const ribcheck::Finding& finding, const std::string& suffix) {
        std::cout << name << ':' << finding.line << ": " << (finding.isNote ? "note: " : "") << finding.message
                  << suffix << '\n';
    };
    ribcheck::RibChecker checker(options, [&](const ribcheck::Finding& finding) {
        if (!finding.isNote || isVerbose) {
            print(finding, "");
            return;
        }
        const auto [at, isNew] = noteByKind.emplace(finding.kind, heldNotes.size());
        if (isNew) heldNotes.push_back(RepeatedNote{finding, 0});
        ++heldNotes[at->second].count;
    });
    checker.check(input);
    for (const RepeatedNote& note : heldNotes) {
        print(note.first, note.count == 1 ? ""
                                          : " (" + std::to_string(note.count) +
                                                " notes of this kind, the first on this line; --verbose lists each)");
    }
    std::cout.flush();
    std::cerr << "ribcheck: " << name << ": " << checker.requestCount() << " requests, " << checker.frameCount()
              << " frames, " << checker.problemCount() << " problems\n";
    return checker.problemCount();
}
}  // namespace

int main(int argc, char** argv)
{
    // Standard input is read byte by byte through its stream buffer; without
    // stdio synchronisation that buffer reads in large blocks.
    std::ios::sync_with_stdio(false);

    ribcheck::CheckOptions options;
    bool isVerbose = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && (argument == "-h" || argument == "--help")) {
            std::cout << kHelp;
            return kClean;
        }
        if (!optionsEnded && argument == "--allow-partial-meshes") {
            options.allowPartialMeshes = true;
        } else if (!optionsEnded && argument == "--verbose") {
            isVerbose = true;
        } else if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            std::cerr << "ribcheck: unknown option " << argument << "\n"
                      << kUsage << "\n";
            return kUsageOrInputError;
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty()) {
        std::cerr << "ribcheck: no file given\n"
                  << kUsage << "\n";
        return kUsageOrInputError;
    }

    bool hasInputError = false;
    long problems = 0;
    for (const std::string& file : files) {
        if (file == "-") {
            problems += checkStream(std::cin, "<stdin>", options, isVerbose);
            continue;
        }
        std::ifstream input(file, std::ios::binary);
        if (!input) {
            std::cerr << "ribcheck: cannot open " << file << ": " << std::strerror(errno) << "\n";
            hasInputError = true;
            continue;
        }
        problems += checkStream(input, file, options, isVerbose);
        if (input.bad()) {
            std::cerr << "ribcheck: error reading " << file << "\n";
            hasInputError = true;
        }
    }
    // A file that could not be read is not known to be clean, whatever the
    // others hold.
    if (hasInputError) return kUsageOrInputError;
    return problems > 0 ? kProblemsFound : kClean;
}
