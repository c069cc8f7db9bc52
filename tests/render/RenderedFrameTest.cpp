// Exported frames rendered by Aqsis with the shipped shaders and textures:
// no complaint about a shader, texture or parameter, in text and in binary
// RIB, and the materials show their looks rather than the renderer's
// default matte surface.

#include "RenderSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>

using namespace rendertest;

namespace {

constexpr int kSteps = 241;  // the last frame written is frame 30
constexpr int kFrame = 30;
constexpr int kSize = 200;  // pixels; the frames ask for 400 × 400

struct SceneCase {
    int scene;
    int bodies;  // 0: the scene's default
};

std::string frameForSize(std::string frame)
{
    const std::string asked = "Format 400 400 1\n", wanted = "Format " + std::to_string(kSize) + " " +
                                                             std::to_string(kSize) + " 1\n";
    const size_t at = frame.find(asked);
    if (at != std::string::npos) frame.replace(at, asked.size(), wanted);
    return frame;
}

struct Rendered {
    Picture picture;
    std::vector<std::string> problems;
    std::string output;
};

Rendered render(const std::string& folder, const std::string& frame, const std::string& assets)
{
    writeFile(folder + "/frame.rib", frame);
    run("rm -f " + quoted(folder + "/blorp030.tif"));
    Rendered result;
    const CommandResult rendered = run("cd " + quoted(folder) + " && aqsis -shaders=" + quoted(assets + ":&") +
                                       " -textures=" + quoted(assets + ":&") + " frame.rib");
    result.output = rendered.output;
    result.problems = renderProblems(rendered.output);
    if (rendered.status != 0) result.problems.push_back("aqsis exit status " + std::to_string(rendered.status));
    result.picture = readTiff(folder + "/blorp030.tif");
    return result;
}

// Mean colour (premultiplied, as rendered) of the pixels the kept objects
// cover at all, with their count.
struct Coverage {
    double r = 0, g = 0, b = 0, medianAlpha = 0;
    int pixels = 0;
};

Coverage coverage(const Picture& p)
{
    Coverage c;
    std::vector<float> alphas;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const float a = p.channel(x, y, 3);
            if (a < 0.02f) continue;
            c.r += p.channel(x, y, 0);
            c.g += p.channel(x, y, 1);
            c.b += p.channel(x, y, 2);
            alphas.push_back(a);
        }
    c.pixels = int(alphas.size());
    if (c.pixels > 0) {
        c.r /= c.pixels;
        c.g /= c.pixels;
        c.b /= c.pixels;
        std::nth_element(alphas.begin(), alphas.begin() + alphas.size() / 2, alphas.end());
        c.medianAlpha = alphas[alphas.size() / 2];
    }
    return c;
}

bool isRoom(const std::string& block) { return block.find("Translate 0 -4.002 0 \n") != std::string::npos; }
bool isGlass(const std::string& block) { return block.find("Surface \"glass\"") != std::string::npos; }
bool isSheet(const std::string& block) { return block.find("\"blorp.tif\"") != std::string::npos; }
bool isTable(const std::string& block) { return block.find("Surface \"wood2\"") != std::string::npos; }
bool isSphere(const std::string& block) { return block.find("Surface \"funkyglass\"") != std::string::npos; }

struct Disc {
    double x, y, radius;  // pixels
};

// The spheres of a text frame as seen by its camera at (0, 0, 5) looking
// toward -z with a 90° field of view.
std::vector<Disc> sphereDiscs(const std::string& frame, int size)
{
    std::vector<Disc> discs;
    const std::regex sphere("Translate (\\S+) (\\S+) (\\S+) \nColor \\[0 0.8 0\\]\nSurface \"funkyglass\"\nSphere (\\S+)");
    for (std::sregex_iterator it(frame.begin(), frame.end(), sphere), end; it != end; ++it) {
        const double x = std::stod((*it)[1]), y = std::stod((*it)[2]), z = std::stod((*it)[3]);
        const double r = std::stod((*it)[4]), depth = 5 - z;
        if (depth <= r) continue;
        discs.push_back({(x / depth + 1) / 2 * size, (1 - y / depth) / 2 * size, r / depth * size / 2});
    }
    return discs;
}

class RenderedFrame : public ::testing::TestWithParam<SceneCase> {};

}  // namespace

TEST_P(RenderedFrame, RendersCleanlyWithTheShippedLooks)
{
    if (!onPath("aqsis") || !onPath("aqsl") || !onPath("teqser"))
        GTEST_SKIP() << "Aqsis (aqsis, aqsl, teqser) is not on PATH";
    const SceneCase c = GetParam();
    const std::string folder = freshFolder("rendered_scene_" + std::to_string(c.scene));
    const std::string assets = folder + "/assets";
    const CommandResult made = run(quoted(BLORP_ASSETS) + " --renderer aqsis " + quoted(assets));
    ASSERT_EQ(made.status, 0) << made.output;

    Picture pictures[2];
    std::string textFrame;
    for (int binary = 0; binary < 2; ++binary) {
        const char* encoding = binary ? "binary" : "text";
        const std::string rib = folder + "/export-" + encoding + ".rib";
        std::string command = "cd " + quoted(folder) + " && " + quoted(BLORP) + " --headless --steps " +
                              std::to_string(kSteps) + " --export --scene " + std::to_string(c.scene) + " --rib " +
                              quoted(rib) + (binary ? " --binary" : "");
        if (c.bodies > 0) command += " --bodies " + std::to_string(c.bodies);
        const CommandResult exported = run(command);
        ASSERT_EQ(exported.status, 0) << exported.output;
        const std::string frame = cutFrame(readFile(rib), kFrame);
        ASSERT_FALSE(frame.empty()) << encoding << ": no frame " << kFrame;
        if (!binary) textFrame = frame;

        const Rendered rendered = render(folder, frameForSize(frame), assets);
        EXPECT_TRUE(rendered.problems.empty()) << encoding << ":\n"
                                               << rendered.output;
        ASSERT_EQ(rendered.picture.width, kSize) << encoding << ":\n"
                                                 << rendered.output;
        pictures[binary] = rendered.picture;
    }

    // Both encodings describe the same picture, up to the text's rounding.
    double difference = 0;
    for (size_t i = 0; i < pictures[0].rgba.size(); ++i) difference += std::fabs(pictures[0].rgba[i] - pictures[1].rgba[i]);
    EXPECT_LT(difference / pictures[0].rgba.size(), 0.01);

    const std::string frame = frameForSize(textFrame);

    // The floor is oak: brown, with rings and joints rather than a smooth
    // falloff of light. Its nearest part fills the bottom of the picture.
    const Picture room = render(folder, keepBlocks(frame, isRoom), assets).picture;
    ASSERT_EQ(room.width, kSize);
    double red = 0, blue = 0, green = 0, steps = 0;
    int samples = 0;
    for (int y = kSize * 17 / 20; y < kSize; ++y)
        for (int x = kSize * 2 / 5; x < kSize * 3 / 5; ++x, ++samples) {
            red += room.channel(x, y, 0);
            green += room.channel(x, y, 1);
            blue += room.channel(x, y, 2);
            for (int ch = 0; ch < 3; ++ch) steps += std::fabs(room.channel(x + 1, y, ch) - room.channel(x, y, ch));
        }
    EXPECT_GT((red - blue) / samples, 0.15) << "the floor is not wood-coloured";
    EXPECT_GT(steps / samples, 0.03) << "the floor shows no grain, rings or joints";
    const double floorGreenToRed = green / red;

    // The jelly lets light through: covered, but not opaque.
    if (textFrame.find("Surface \"glass\"") != std::string::npos) {
        const Coverage glass = coverage(render(folder, keepBlocks(frame, isGlass), assets).picture);
        EXPECT_GT(glass.pixels, 100);
        EXPECT_GT(glass.medianAlpha, 0.5);
        EXPECT_LT(glass.medianAlpha, 0.99) << "the jelly is opaque";
    }

    // The sheets and chains wear the red jelly texture, not plain white.
    if (textFrame.find("\"blorp.tif\"") != std::string::npos) {
        const Coverage sheet = coverage(render(folder, keepBlocks(frame, isSheet), assets).picture);
        EXPECT_GT(sheet.pixels, 100);
        EXPECT_GT(sheet.r, 2 * sheet.g) << "the sheets are not textured";
    }

    // The tables are another, redder wood than the floor.
    if (textFrame.find("Surface \"wood2\"") != std::string::npos) {
        const Coverage table = coverage(render(folder, keepBlocks(frame, isTable), assets).picture);
        EXPECT_GT(table.pixels, 100);
        EXPECT_GT(table.r, 1.5 * table.b) << "the tables are not wood-coloured";
        EXPECT_LT(table.g / table.r, floorGreenToRed - 0.1) << "the tables' wood looks like the floor's";
    }

    // The spheres are see-through glass whose colour wanders over them.
    const std::vector<Disc> discs = sphereDiscs(frame, kSize);
    if (!discs.empty()) {
        const Picture spheres = render(folder, keepBlocks(frame, isSphere), assets).picture;
        ASSERT_EQ(spheres.width, kSize);
        int checked = 0;
        for (size_t i = 0; i < discs.size(); ++i) {
            const Disc& d = discs[i];
            const bool alone = std::none_of(discs.begin(), discs.end(), [&](const Disc& other) {
                return &other != &d && std::hypot(other.x - d.x, other.y - d.y) < other.radius + d.radius;
            });
            if (!alone || d.radius < 8 || d.x < d.radius || d.y < d.radius || d.x + d.radius > kSize ||
                d.y + d.radius > kSize)
                continue;
            ++checked;
            EXPECT_LT(spheres.channel(int(d.x), int(d.y), 3), 0.8) << "sphere " << i << " is opaque";
            EXPECT_GT(spheres.channel(int(d.x), int(d.y), 3), 0.1) << "sphere " << i << " is invisible";
            // Spread of the blue share of the colour over the inner disc: a
            // plain green sphere has none.
            double sum = 0, squares = 0;
            int n = 0;
            for (int y = int(d.y - 0.6 * d.radius); y <= int(d.y + 0.6 * d.radius); ++y)
                for (int x = int(d.x - 0.6 * d.radius); x <= int(d.x + 0.6 * d.radius); ++x) {
                    if (std::hypot(x - d.x, y - d.y) > 0.6 * d.radius) continue;
                    const double total = spheres.channel(x, y, 0) + spheres.channel(x, y, 1) + spheres.channel(x, y, 2);
                    const double share = spheres.channel(x, y, 2) / std::max(total, 1e-3);
                    sum += share;
                    squares += share * share;
                    ++n;
                }
            EXPECT_GT(std::sqrt(squares / n - (sum / n) * (sum / n)), 0.03) << "sphere " << i << " is one colour";
        }
        EXPECT_GT(checked, 0) << "no sphere stands clear of the others in the picture";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, RenderedFrame,
                         ::testing::Values(SceneCase{7, 5}, SceneCase{1, 2}, SceneCase{3, 0}),
                         [](const ::testing::TestParamInfo<SceneCase>& info) {
                             return "Scene" + std::to_string(info.param.scene);
                         });
