// The texture program: its pictures read back with libtiff at their size,
// as plain RGB, with the patterns they are meant to show.

#include "RenderSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace {

float luminance(const Picture& p, int x, int y)
{
    return 0.3f * p.channel(x, y, 0) + 0.59f * p.channel(x, y, 1) + 0.11f * p.channel(x, y, 2);
}

// Mean absolute luminance step between horizontally adjacent pixels, the
// last column compared with the first (across the seam when tiled).
double meanStep(const Picture& p, int fromColumn, int toColumn)
{
    double sum = 0;
    for (int y = 0; y < p.height; ++y) sum += std::fabs(luminance(p, toColumn, y) - luminance(p, fromColumn, y));
    return sum / p.height;
}

}  // namespace

TEST(Textures, DrawsPlainRgbPicturesWithTheirPatterns)
{
    const std::string folder = freshFolder("textures_pictures");
    const CommandResult made = run(quoted(BLORP_TEXTURES) + " " + folder);
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_EQ(made.output, "");

    for (const char* name : {"blorp.tif", "ss021.tif"}) {
        const Picture p = readTiff(folder + "/" + name);
        ASSERT_EQ(p.width, 512) << name;
        EXPECT_EQ(p.height, 512) << name;
        EXPECT_EQ(p.samplesPerPixel, 3) << name;
        EXPECT_EQ(p.bitsPerSample, 8) << name;
        EXPECT_EQ(p.directories, 1) << name;

        double sum = 0, squares = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const double l = luminance(p, x, y);
                sum += l;
                squares += l * l;
            }
        const double n = double(p.width) * p.height;
        const double deviation = std::sqrt(squares / n - (sum / n) * (sum / n));
        EXPECT_GT(deviation, 0.04) << name << " is flat";
    }

    // The jelly is red and tiles without a seam: the step from the last
    // column to the first is like any step inside the picture.
    const Picture jelly = readTiff(folder + "/blorp.tif");
    ASSERT_EQ(jelly.width, 512);
    double red = 0, green = 0;
    for (int y = 0; y < jelly.height; ++y)
        for (int x = 0; x < jelly.width; ++x) {
            red += jelly.channel(x, y, 0);
            green += jelly.channel(x, y, 1);
        }
    EXPECT_GT(red, 2 * green);
    double inside = 0;
    for (int x = 0; x + 1 < jelly.width; ++x) inside += meanStep(jelly, x, x + 1);
    inside /= jelly.width - 1;
    EXPECT_LT(meanStep(jelly, jelly.width - 1, 0), 3 * inside + 0.01) << "seam at the picture's side";

    // The ceiling is a grid of 8 × 8 tiles: the rows of the joints are darker
    // than the rows through the tiles' middles.
    const Picture tiles = readTiff(folder + "/ss021.tif");
    ASSERT_EQ(tiles.width, 512);
    const int tile = tiles.height / 8;
    double joints = 0, middles = 0;
    for (int t = 0; t < 8; ++t)
        for (int x = 0; x < tiles.width; ++x) {
            joints += luminance(tiles, x, t * tile);
            middles += luminance(tiles, x, t * tile + tile / 2);
        }
    EXPECT_LT(joints, 0.8 * middles);
}

TEST(Textures, RefusesAMissingOrWrongOutputFolder)
{
    const std::string folder = freshFolder("textures_refusals");
    const CommandResult none = run(quoted(BLORP_TEXTURES));
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.output.find("usage: blorp-textures OUTDIR"), std::string::npos) << none.output;

    const CommandResult missing = run(quoted(BLORP_TEXTURES) + " " + folder + "/absent");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.output.find(folder + "/absent is not a folder"), std::string::npos) << missing.output;

    writeFile(folder + "/plain", "not a folder");
    const CommandResult file = run(quoted(BLORP_TEXTURES) + " " + folder + "/plain");
    EXPECT_EQ(file.status, 2);
    EXPECT_EQ(readFile(folder + "/plain"), "not a folder");

    // A picture that cannot be written (its scratch name is taken by a
    // folder) or cannot be put in place (its name is a folder) is reported,
    // the status says so, the other picture is still made, and no scratch
    // file is left behind.
    const std::string blocked = folder + "/blocked";
    run("mkdir -p " + quoted(blocked + "/blorp.tif.partial") + " " + quoted(blocked + "/ss021.tif/kept"));
    const CommandResult refused = run(quoted(BLORP_TEXTURES) + " " + blocked);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("cannot write " + blocked + "/blorp.tif"), std::string::npos) << refused.output;
    EXPECT_NE(refused.output.find("cannot write " + blocked + "/ss021.tif"), std::string::npos) << refused.output;
    EXPECT_EQ(run("ls -A " + quoted(blocked)).output, "blorp.tif.partial\nss021.tif\n");
    EXPECT_EQ(run("ls -A " + quoted(blocked + "/ss021.tif")).output, "kept\n");

    const CommandResult partly = run("rm -r " + quoted(blocked + "/blorp.tif.partial") + " && " +
                                     quoted(BLORP_TEXTURES) + " " + blocked);
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(readTiff(blocked + "/blorp.tif").width, 512) << partly.output;
}
