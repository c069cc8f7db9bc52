// Fuzzes the scene-file loader with any text, and checks what it promises:
// it returns (no crash, no hang), a scene it accepts writes back to text
// that it accepts again, and that text reads to the very same scene.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "world/SceneFile.h"

namespace {
void require(bool holds, const char* what, const std::string& context)
{
    if (!holds) {
        std::fprintf(stderr, "scene file fuzzer: %s\n%s\n", what, context.c_str());
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SceneFileResult first = parseSceneText(text, "fuzz.toml");
    for (const std::string& problem : first.problems)
        require(problem.rfind("fuzz.toml:", 0) == 0 && problem.find('\n') == std::string::npos,
                "a problem that is not one FILE:LINE:COLUMN line", problem);
    if (!first.isValid()) return 0;

    const std::string written = sceneFileText(first.scene, "fuzz");
    const SceneFileResult second = parseSceneText(written, "written.toml");
    require(second.isValid(), "the written scene does not read back",
            written + (second.problems.empty() ? "" : second.problems.front()));
    require(sceneFileText(second.scene, "fuzz") == written, "the written scene reads back to another scene", written);
    return 0;
}
