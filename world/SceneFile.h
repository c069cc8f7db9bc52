#pragma once

#include "world/SceneDescription.h"

#include <string>
#include <string_view>
#include <vector>

/// Scene files: a scene written as TOML (docs/scene-files.md), read into a
/// SceneDescription and checked the way a compiler checks code.

/// What reading a scene file gave: the scene, or every problem found.
struct SceneFileResult {
    SceneDescription scene;  ///< meaningful only when there is no problem
    /// One line per problem, "FILE:LINE:COLUMN: message", in the order of the
    /// file; empty when the scene is valid.
    std::vector<std::string> problems;

    bool isValid() const { return problems.empty(); }
};

/// Largest lattice a scene file may ask for, over all its bodies together:
/// about a gigabyte and a half of nodes and springs, beyond any scene a
/// desktop simulates live, and well before the memory runs out.
constexpr long long kMaxSceneNodes = 1LL << 20;

/// Reads and checks the TOML text of a scene; `name` heads every problem line.
SceneFileResult parseSceneText(std::string_view text, const std::string& name);

/// Reads and checks the file at `path`; a file that cannot be read is one
/// problem, at line 1, column 1.
SceneFileResult readSceneFile(const std::string& path);

/// The scene as scene-file text that reads back to the same description, bit
/// for bit: every number in the shortest decimal that reads to its double.
/// `title` becomes the comment on the first line.
std::string sceneFileText(const SceneDescription& scene, const std::string& title);

/// The first-line comment of a catalogue scene written as a file.
inline std::string catalogueSceneTitle(int scene)
{
    return "blorp scene " + std::to_string(scene) + ", as blorp --write-scene " + std::to_string(scene) + " FILE writes it";
}

/// Writes sceneFileText to `path`. On failure returns false with the reason
/// in `problem` ("cannot write FILE: reason").
bool writeSceneFile(const std::string& path, const SceneDescription& scene, const std::string& title,
                    std::string& problem);
