// The shipped shaders compile cleanly, and blorp-assets makes everything the
// frames name for a renderer, skips what is up to date and names failures.

#include "RenderSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

using namespace rendertest;

namespace {

const char* const kShaders[] = {"glass", "oak", "wood2", "funkyglass"};

std::string modified(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return "absent";
    return std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

std::string assets(const std::string& arguments) { return quoted(BLORP_ASSETS) + " " + arguments; }

}  // namespace

TEST(Shaders, CompileWithoutAnyMessage)
{
    if (!onPath("aqsl")) GTEST_SKIP() << "aqsl (the Aqsis shading compiler) is not on PATH";
    const std::string folder = freshFolder("shaders_compile");
    // Every shader in the folder is one the frames name, and each is shipped.
    EXPECT_EQ(run("ls " + quoted(SHADER_DIR)).output, "funkyglass.sl\nglass.sl\noak.sl\nwood2.sl\n");
    for (const char* shader : kShaders) {
        const std::string target = folder + "/" + shader + ".slx";
        const CommandResult compiled =
            run("aqsl -o " + quoted(target) + " " + quoted(std::string(SHADER_DIR) + "/" + shader + ".sl"));
        EXPECT_EQ(compiled.status, 0) << shader;
        // aqsl always names the file it wrote; anything beyond that line is a
        // warning or an error.
        EXPECT_EQ(compiled.output, "... " + target + "\n") << shader;
        EXPECT_NE(modified(target), "absent") << shader;
    }
}

TEST(Assets, MakesWhatTheFramesNameAndSkipsWhatIsUpToDate)
{
    if (!onPath("aqsl") || !onPath("teqser")) GTEST_SKIP() << "aqsl or teqser (Aqsis's tools) is not on PATH";
    const std::string folder = freshFolder("assets_made");
    const std::string sources = folder + "/sources", out = folder + "/out";
    run("cp -r " + quoted(SHADER_DIR) + " " + quoted(sources));

    const std::string command = "BLORP_SHADER_DIR=" + quoted(sources) + " " + assets("--renderer aqsis " + out);
    const CommandResult first = run(command);
    ASSERT_EQ(first.status, 0) << first.output;
    std::vector<std::string> outputs;
    for (const char* shader : kShaders) outputs.push_back(out + "/" + shader + ".slx");
    for (const char* texture : {"blorp.tif", "ss021.tif"}) {
        outputs.push_back(out + "/" + texture);
        // teqser's textures keep the picture's size and add the smaller
        // levels a renderer filters with.
        const Picture converted = readTiff(out + "/" + texture);
        EXPECT_EQ(converted.width, 512) << texture;
        EXPECT_GT(converted.directories, 1) << texture << " is not a mipmapped texture";
    }
    for (const std::string& path : outputs) EXPECT_NE(modified(path), "absent") << path;
    EXPECT_EQ(run("ls -A " + quoted(out) + " | grep -v '^.textures-for$' | grep -c '^\\.'").output, "0\n")
        << "scratch files left";

    std::vector<std::string> before;
    for (const std::string& path : outputs) before.push_back(modified(path));
    const CommandResult again = run(command);
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(again.output, "");
    for (size_t i = 0; i < outputs.size(); ++i) EXPECT_EQ(modified(outputs[i]), before[i]) << outputs[i];

    // An edited shader is compiled again, and only it.
    run("touch -d '+2 seconds' " + quoted(sources + "/oak.sl"));
    const CommandResult edited = run(command);
    EXPECT_EQ(edited.status, 0) << edited.output;
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i] == out + "/oak.slx") {
            EXPECT_NE(modified(outputs[i]), before[i]);
        } else {
            EXPECT_EQ(modified(outputs[i]), before[i]) << outputs[i];
        }
    }

    // Textures converted for another renderer have the same names: they are
    // made anew, the compiled shaders stay.
    writeFile(out + "/.textures-for", "prman\n");
    const CommandResult switched = run(command);
    EXPECT_EQ(switched.status, 0) << switched.output;
    for (size_t i = 0; i < outputs.size(); ++i) {
        const bool isTexture = outputs[i].find(".tif") != std::string::npos;
        if (isTexture) {
            EXPECT_NE(modified(outputs[i]), before[i]) << outputs[i];
        } else if (outputs[i] != out + "/oak.slx") {
            EXPECT_EQ(modified(outputs[i]), before[i]) << outputs[i];
        }
    }
    EXPECT_EQ(readFile(out + "/.textures-for"), "aqsis\n");
}

TEST(Assets, NamesEveryFailureAndExitsNonZero)
{
    if (!onPath("aqsl") || !onPath("teqser")) GTEST_SKIP() << "aqsl or teqser (Aqsis's tools) is not on PATH";
    const std::string folder = freshFolder("assets_failures");
    const std::string sources = folder + "/sources", out = folder + "/out";
    run("cp -r " + quoted(SHADER_DIR) + " " + quoted(sources));
    writeFile(sources + "/broken.sl", "surface broken() { Ci = undefinedThing; }\n");

    const CommandResult broken = run("BLORP_SHADER_DIR=" + quoted(sources) + " " + assets("--renderer aqsis " + out));
    EXPECT_EQ(broken.status, 1);
    // The compiler's own message and a last line naming the shader.
    EXPECT_NE(broken.output.find("ERROR"), std::string::npos) << broken.output;
    EXPECT_NE(broken.output.find("blorp-assets: aqsl could not compile " + sources + "/broken.sl"), std::string::npos)
        << broken.output;
    EXPECT_EQ(modified(out + "/broken.slx"), "absent");
    // The rest is made all the same.
    EXPECT_NE(modified(out + "/glass.slx"), "absent");
    EXPECT_NE(modified(out + "/ss021.tif"), "absent");

    const CommandResult noTextures =
        run(assets("--renderer aqsis --textures " + quoted(folder + "/absent-program") + " " + folder + "/out2"));
    EXPECT_EQ(noTextures.status, 1);
    EXPECT_NE(noTextures.output.find("texture program " + folder + "/absent-program not found"), std::string::npos)
        << noTextures.output;

    const CommandResult failingTextures =
        run(assets("--renderer aqsis --textures /bin/false " + folder + "/out3"));
    EXPECT_EQ(failingTextures.status, 1);
    EXPECT_NE(failingTextures.output.find("/bin/false could not draw the textures"), std::string::npos)
        << failingTextures.output;

    const CommandResult unknown = run(assets("--renderer povray " + out));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown renderer povray"), std::string::npos) << unknown.output;

    // A renderer whose compiler is missing: named, not silently skipped.
    run("mkdir -p " + quoted(folder + "/bin") + " && ln -sf /bin/true " + quoted(folder + "/bin/prman"));
    const CommandResult noCompiler =
        run("PATH=" + quoted(folder + "/bin") + ":/usr/bin:/bin " + assets("--renderer prman " + folder + "/out4"));
    EXPECT_EQ(noCompiler.status, 1);
    EXPECT_NE(noCompiler.output.find("shading compiler shader of prman not found"), std::string::npos)
        << noCompiler.output;

    const CommandResult noRenderer = run("PATH=" + quoted(folder + "/empty") + ":/bin " + assets(folder + "/out5"));
    EXPECT_EQ(noRenderer.status, 1);
    EXPECT_NE(noRenderer.output.find("no RenderMan renderer found on PATH"), std::string::npos) << noRenderer.output;

    const CommandResult usage = run(assets(""));
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.output.find("usage: blorp-assets [--renderer NAME] [--textures PROGRAM] OUTDIR"),
              std::string::npos)
        << usage.output;
}

TEST(Shaders, GlassReflectsAnEnvironmentMapWhereNoRayComesBack)
{
    if (!onPath("aqsis") || !onPath("aqsl") || !onPath("teqser"))
        GTEST_SKIP() << "Aqsis (aqsis, aqsl, teqser) is not on PATH";
    // Aqsis answers every trace() with black, so the glass's reflection can
    // only come from the map; without one it adds nothing.
    const std::string folder = freshFolder("glass_environment");
    const CommandResult made = run(assets("--renderer aqsis " + folder));
    ASSERT_EQ(made.status, 0) << made.output;
    const CommandResult map = run("cd " + quoted(folder) + " && teqser -envlatl ss021.tif sky.env");
    ASSERT_EQ(map.status, 0) << map.output;

    auto renderGlass = [&](const std::string& extra) {
        writeFile(folder + "/glass.rib",
                  "Display \"glass.tif\" \"file\" \"rgba\"\nFormat 64 64 1\n"
                  "Projection \"perspective\" \"fov\" [30]\nTranslate 0 0 5\n"
                  "Declare \"blur\" \"float\"\nDeclare \"transmitcolor\" \"color\"\n"
                  "Declare \"envname\" \"string\"\nWorldBegin\n"
                  "LightSource \"ambientlight\" 1 \"intensity\" [0.7]\n"
                  "Surface \"glass\" \"blur\" [0.2] \"transmitcolor\" [0.8 0.2 0.2] \"Ks\" [0.5] \"Kd\" [0.4] " +
                      extra +
                      "\nColor [0.8 0.2 0.2]\nOpacity [0.5 0.5 0.5]\nSphere 1 -1 1 360\nWorldEnd\n");
        run("rm -f " + quoted(folder + "/glass.tif"));
        const CommandResult rendered =
            run("cd " + quoted(folder) + " && aqsis -shaders=.:\\& -textures=.:\\& glass.rib");
        EXPECT_TRUE(renderProblems(rendered.output).empty()) << extra << ":\n"
                                                             << rendered.output;
        const Picture p = readTiff(folder + "/glass.tif");
        EXPECT_EQ(p.width, 64) << rendered.output;
        double light = 0;
        for (float v : p.rgba) light += v;
        return light;
    };
    const double none = renderGlass("\"Kr\" [0.3]");
    const double mapped = renderGlass("\"Kr\" [0.3] \"envname\" [\"sky.env\"]");
    const double unweighted = renderGlass("\"Kr\" [0] \"envname\" [\"sky.env\"]");
    EXPECT_GT(none, 0);
    EXPECT_GT(mapped, 1.05 * none) << "no reflection of the map";
    // Pixel sampling shares the renderer's random numbers with the glass's
    // jittered rays, so the pictures without reflection differ by a little
    // noise, far below the reflection's share.
    EXPECT_NEAR(unweighted, none, 0.005 * none) << "Kr 0 still reflects";
}
