// Without a current renderer every procedure reports the severe error
// "RiBegin not called" naming itself, and the process ends with status -1.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ribout/Renderer.h"

namespace {

using ::testing::ExitedWithCode;

// exit(-1) is seen by the parent as status 255.
constexpr int kSevereExitStatus = 255;

std::string notStarted(const std::string& procedure)
{
    return "SEVERE ERROR: RiBegin not called\n    --> " + procedure + "\n";
}

const std::string kNotStartedWithoutMessage = "SEVERE ERROR: RiBegin not called\n";

struct DeathCase {
    const char* procedure;
    std::function<void()> call;
    std::string expectedOutput;
};

RtColor red = {1, 0, 0};
RtToken pTokens[1] = {"P"};
RtFloat pValues[12] = {};
RtPointer pList[1] = {pValues};
RtPoint somePoints[1] = {{0, 0, 0}};

std::vector<DeathCase> deathCases()
{
    return {
        {"RiColor", [] { RiColor(red); }, notStarted("RiColor")},
        {"RiPatchMeshV",
         [] { RiPatchMeshV("bicubic", 4, "nonperiodic", 4, "nonperiodic", 1, pTokens, pList); },
         notStarted("RiPatchMeshV")},
        {"RiSphere", [] { RiSphere(1, -1, 1, 360, RI_NULL); }, notStarted("RiSphere")},
        {"RiFrameBegin", [] { RiFrameBegin(0); }, notStarted("RiFrameBegin")},
        {"RiWorldEnd", [] { RiWorldEnd(); }, notStarted("RiWorldEnd")},
        {"RiAttribute", [] { RiAttribute("light", RI_NULL); }, notStarted("RiAttribute")},
        {"RiOption", [] { RiOption("searchpath", RI_NULL); }, notStarted("RiOption")},
        {"RiOptionV", [] { RiOptionV("searchpath", 0, nullptr, nullptr); },
         notStarted("RiOptionV")},
        {"RiArchiveRecord", [] { RiArchiveRecord("comment", "x"); },
         notStarted("RiArchiveRecord")},
        // The missing renderer is reported, not the count beyond the limit.
        {"RiMotionBegin", [] { RiMotionBegin(200, 0.0); }, notStarted("RiMotionBegin")},
        {"RiTranslate", [] { RiTranslate(0, 0, -5); }, notStarted("RiTranslate")},
        // The procedures that return a handle or token pass no message.
        {"RiLightSource", [] { RiLightSource("ambientlight", RI_NULL); },
         kNotStartedWithoutMessage},
        {"RiAreaLightSourceV", [] { RiAreaLightSourceV("arealight", 0, nullptr, nullptr); },
         kNotStartedWithoutMessage},
        {"RiObjectBegin", [] { RiObjectBegin(); }, kNotStartedWithoutMessage},
        {"RiDeclare", [] { RiDeclare("blur", "float"); }, kNotStartedWithoutMessage},
        {"RiTransformPoints", [] { RiTransformPoints("object", "world", 1, somePoints); },
         kNotStartedWithoutMessage},
    };
}

TEST(RiProceduresDeathTest, WithoutRendererReportSevereErrorAndExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RiContext(nullptr);
    for (const DeathCase& c : deathCases()) {
        EXPECT_EXIT(c.call(), ExitedWithCode(kSevereExitStatus),
                    ::testing::Eq(c.expectedOutput))
            << c.procedure;
    }
}

TEST(RiProceduresDeathTest, EndWithoutBeginIsANestingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RiContext(nullptr);
    EXPECT_EXIT(RiEnd(), ExitedWithCode(kSevereExitStatus),
                ::testing::Eq("SEVERE ERROR: Nesting error\n"
                              "    --> RiEnd called at inappropriate level\n"));
}

TEST(RiProceduresDeathTest, RibOptionNeedsNoRenderer)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RiContext(nullptr);
    EXPECT_EXIT(
        {
            RtString format = "binary";
            RiOption("rib", "format", &format, RI_NULL);
            RiOptionV("RIB", 0, nullptr, nullptr);
            std::exit(ribBinary == 1 ? 0 : 1);
        },
        ExitedWithCode(0), ::testing::Eq(""));
}

}  // namespace
