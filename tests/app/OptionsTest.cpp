#include "app/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Parsed {
    bool ok;
    ViewerOptions options;
    std::vector<std::string> glut;
    std::string problem;
};

Parsed parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "blorp");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    Parsed parsed;
    parsed.ok = parseOptions(int(argv.size()), argv.data(), parsed.options, parsed.problem);
    for (char* argument : parsed.options.glutArguments) parsed.glut.emplace_back(argument);
    return parsed;
}
}  // namespace

TEST(Options, ReadSceneBodiesAndHelpAndHandTheRestToGlut)
{
    struct Case {
        std::vector<std::string> arguments;
        int scene, bodies;
        bool help;
        std::vector<std::string> glut;
    };
    const Case cases[] = {
        {{}, 12, 1, false, {"blorp"}},
        {{"--scene", "3"}, 3, 1, false, {"blorp"}},
        {{"--scene=0", "--bodies=4"}, 0, 4, false, {"blorp"}},
        {{"--bodies", "5", "--scene", "7"}, 7, 5, false, {"blorp"}},
        {{"--scene", "12", "--scene", "6"}, 6, 1, false, {"blorp"}},
        {{"--help"}, 12, 1, true, {"blorp"}},
        {{"-display", ":3", "--scene", "5", "-geometry", "400x300+10+20", "-iconic"},
         5,
         1,
         false,
         {"blorp", "-display", ":3", "-geometry", "400x300+10+20", "-iconic"}},
        {{"-direct", "-indirect", "-gldebug", "-sync"}, 12, 1, false, {"blorp", "-direct", "-indirect", "-gldebug", "-sync"}},
        {{"-display", "--scene"}, 12, 1, false, {"blorp", "-display", "--scene"}},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string what = testing::PrintToString(c.arguments);
        ASSERT_TRUE(parsed.ok) << what << ": " << parsed.problem;
        EXPECT_EQ(parsed.options.scene, c.scene) << what;
        EXPECT_EQ(parsed.options.bodies, c.bodies) << what;
        EXPECT_EQ(parsed.options.showHelp, c.help) << what;
        EXPECT_EQ(parsed.glut, c.glut) << what;
    }
}

TEST(Options, RejectBadOptionsAndValuesNamingTheProblem)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string problem;
    };
    const Case cases[] = {
        {{"--scene"}, "--scene needs a value"},
        {{"--scene", "13"}, "--scene takes a scene number from 0 to 12, not '13'"},
        {{"--scene=-1"}, "--scene takes a scene number from 0 to 12, not '-1'"},
        {{"--scene", "3x"}, "--scene takes a scene number from 0 to 12, not '3x'"},
        {{"--scene", ""}, "--scene takes a scene number from 0 to 12, not ''"},
        {{"--scene", "99999999999999999999"}, "--scene takes a scene number from 0 to 12, not '99999999999999999999'"},
        {{"--bodies", "0"}, "--bodies takes a whole number of 1 or more, not '0'"},
        {{"--bodies=two"}, "--bodies takes a whole number of 1 or more, not 'two'"},
        {{"--scenery", "3"}, "unknown option '--scenery'"},
        {{"-x"}, "unknown option '-x'"},
        {{"scene3"}, "unexpected argument 'scene3'"},
        {{"-geometry"}, "-geometry needs a value"},
        {{"--scene", "3", "-display"}, "-display needs a value"},
        {{"--export", "--rib"}, "--rib needs a value"},
        {{"--export", "--rib", ""}, "--rib takes a file name, \"|command\" or \"-\", not ''"},
        {{"--export", "--rib", "|"}, "--rib takes a file name, \"|command\" or \"-\", not '|'"},
        {{"--export", "--rib=| "}, "--rib takes a file name, \"|command\" or \"-\", not '| '"},
        {{"--export", "--rib", "--binary"}, "--rib takes a file name, \"|command\" or \"-\", not '--binary'"},
        {{"--headless", "--steps"}, "--steps needs a value"},
        {{"--headless", "--steps", "0"}, "--steps takes a whole number of 1 or more, not '0'"},
        {{"--headless", "--steps=-5"}, "--steps takes a whole number of 1 or more, not '-5'"},
        {{"--headless", "--steps", "1e3"}, "--steps takes a whole number of 1 or more, not '1e3'"},
        {{"--headless", "--steps", "3000000000"}, "--steps takes a number no larger than 2147483647; '3000000000' is too large"},
        {{"--headless", "--steps", "99999999999999999999"},
         "--steps takes a number no larger than 2147483647; '99999999999999999999' is too large"},
        {{"--bodies", "2147483648"}, "--bodies takes a number no larger than 2147483647; '2147483648' is too large"},
        {{"--bodies", "-99999999999999999999"}, "--bodies takes a whole number of 1 or more, not '-99999999999999999999'"},
        {{"--headless"}, "--headless needs --steps N"},
        {{"--headless", "--export"}, "--headless needs --steps N"},
        {{"--steps", "10"}, "--steps works only with --headless"},
        {{"--rib", "out.rib"}, "--rib works only with --export"},
        {{"--headless", "--steps", "8", "--binary"}, "--binary works only with --export"},
        {{"--size"}, "--size needs a value"},
        {{"--size", "800"}, "--size takes a width and height in pixels such as 800x600, not '800'"},
        {{"--size=0x600"}, "--size takes a width and height in pixels such as 800x600, not '0x600'"},
        {{"--size", "800x"}, "--size takes a width and height in pixels such as 800x600, not '800x'"},
        {{"--size", "x600"}, "--size takes a width and height in pixels such as 800x600, not 'x600'"},
        {{"--size", "800x600x2"}, "--size takes a width and height in pixels such as 800x600, not '800x600x2'"},
        {{"--size", "16385x600"}, "--size takes a width and height in pixels such as 800x600, not '16385x600'"},
        {{"--size", "-800x600"}, "--size takes a width and height in pixels such as 800x600, not '-800x600'"},
        {{"--realtime=1"}, "unknown option '--realtime=1'"},
        {{"--export=yes"}, "unknown option '--export=yes'"},
        {{"--headless=1", "--steps", "8"}, "unknown option '--headless=1'"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.problem, c.problem) << testing::PrintToString(c.arguments);
    }
}

TEST(Options, ReadExportAndHeadlessOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        bool exports;
        std::string rib;
        bool binary, headless;
        int steps;
    };
    const Case cases[] = {
        {{}, false, "blorp10.rib", false, false, 0},
        {{"--export"}, true, "blorp10.rib", false, false, 0},
        {{"--export", "--rib", "out/a.rib", "--binary"}, true, "out/a.rib", true, false, 0},
        {{"--binary", "--rib=-", "--export"}, true, "-", true, false, 0},
        {{"--export", "--rib", "|rendrib -d 4"}, true, "|rendrib -d 4", false, false, 0},
        {{"--export", "--rib", "a.rib", "--rib", "b.rib"}, true, "b.rib", false, false, 0},
        {{"--headless", "--steps", "2000"}, false, "blorp10.rib", false, true, 2000},
        {{"--steps=400", "--export", "--scene", "3", "--headless"}, true, "blorp10.rib", false, true, 400},
        {{"--headless", "--steps", "1", "-display", ":9"}, false, "blorp10.rib", false, true, 1},
        {{"--headless", "--steps", "2147483647"}, false, "blorp10.rib", false, true, 2147483647},
        // --help wins over options that would not go together.
        {{"--headless", "--help"}, false, "blorp10.rib", false, true, 0},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string what = testing::PrintToString(c.arguments);
        ASSERT_TRUE(parsed.ok) << what << ": " << parsed.problem;
        EXPECT_EQ(parsed.options.exportsFrames, c.exports) << what;
        EXPECT_EQ(parsed.options.ribTarget, c.rib) << what;
        EXPECT_EQ(parsed.options.writesBinaryRib, c.binary) << what;
        EXPECT_EQ(parsed.options.isHeadless, c.headless) << what;
        EXPECT_EQ(parsed.options.steps, c.steps) << what;
    }
}

TEST(Options, ReadWindowAndPlaybackOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        bool realtime, keepsAspect;
        int width, height;
    };
    const Case cases[] = {
        {{}, false, false, 800, 800},
        {{"--realtime"}, true, false, 800, 800},
        {{"--keep-aspect", "--size", "640x480"}, false, true, 640, 480},
        {{"--size=1x16384", "--realtime"}, true, false, 1, 16384},
        // The headless run has no window and ignores them, as it ignores GLUT's options.
        {{"--headless", "--steps", "5", "--realtime", "--size", "300x200"}, true, false, 300, 200},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string what = testing::PrintToString(c.arguments);
        ASSERT_TRUE(parsed.ok) << what << ": " << parsed.problem;
        EXPECT_EQ(parsed.options.isRealtime, c.realtime) << what;
        EXPECT_EQ(parsed.options.keepsAspect, c.keepsAspect) << what;
        EXPECT_EQ(parsed.options.windowWidth, c.width) << what;
        EXPECT_EQ(parsed.options.windowHeight, c.height) << what;
        EXPECT_FALSE(parsed.options.collidesBodies) << what;
    }
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--collide-bodies"}, {"--headless", "--steps", "9", "--collide-bodies"}}) {
        const Parsed parsed = parse(arguments);
        ASSERT_TRUE(parsed.ok) << parsed.problem;
        EXPECT_TRUE(parsed.options.collidesBodies) << testing::PrintToString(arguments);
    }
}

TEST(Options, HelpNamesEveryOptionAndKey)
{
    const std::string help = helpText();
    for (const char* option : {"--scene N", "--bodies K", "--export", "--rib TARGET", "--binary", "--headless",
                               "--steps N", "--realtime", "--keep-aspect", "--size WxH", "--collide-bodies", "--help",
                               "-display", "-geometry"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (const char* key : {"  w ", "  z ", "  x ", "  c ", "  d ", "  s ", "  a ", "  o ", "  p ", "  n ", "  m ", "  q ",
                            "  space ", "  . ", "  r ", "  [ ] ", "  t ", "  g ", "  b ", "  i ", "  h ", "  arrows ", "Home"})
        EXPECT_NE(help.find(key), std::string::npos) << "key '" << key << "'";
    const std::string usage = usageLine();
    EXPECT_EQ(usage.find('\n'), std::string::npos) << "the usage is one line";
    for (const char* option : {"--export", "--rib TARGET", "--binary", "--headless --steps N"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(Options, ReadFramePatternsAndImageSize)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string rib;
        int width, height;
    };
    const Case cases[] = {
        {{"--export"}, "blorp10.rib", 400, 400},
        {{"--export", "--image-size", "1280x720"}, "blorp10.rib", 1280, 720},
        {{"--image-size=1x65536", "--export"}, "blorp10.rib", 1, 65536},
        {{"--export", "--rib", "frames/blorp.%04d.rib"}, "frames/blorp.%04d.rib", 400, 400},
        {{"--export", "--rib", "100%%/f%d.rib"}, "100%%/f%d.rib", 400, 400},
        {{"--export", "--rib", "f%-+ #07.3x"}, "f%-+ #07.3x", 400, 400},
        {{"--export", "--rib", "f%X%%"}, "f%X%%", 400, 400},
        // A command may hold any %: it is the shell's, not a pattern.
        {{"--export", "--rib", "|cat > x%s"}, "|cat > x%s", 400, 400},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string what = testing::PrintToString(c.arguments);
        ASSERT_TRUE(parsed.ok) << what << ": " << parsed.problem;
        EXPECT_EQ(parsed.options.ribTarget, c.rib) << what;
        EXPECT_EQ(parsed.options.imageWidth, c.width) << what;
        EXPECT_EQ(parsed.options.imageHeight, c.height) << what;
    }

    const std::string notPerFrame = " cannot name one file per frame: ";
    const std::string notInteger = " is not an integer conversion such as %04d (write a % sign as %%)";
    const std::string badSize = "--image-size takes a width and height in pixels such as 1280x720, not ";
    const Case bad[] = {
        {{"--export", "--rib", "a%s.rib"}, "--rib 'a%s.rib'" + notPerFrame + "'%s'" + notInteger, 0, 0},
        {{"--export", "--rib", "a%ld.rib"}, "--rib 'a%ld.rib'" + notPerFrame + "'%l'" + notInteger, 0, 0},
        {{"--export", "--rib", "a%*d.rib"}, "--rib 'a%*d.rib'" + notPerFrame + "'%*'" + notInteger, 0, 0},
        {{"--export", "--rib", "a%"}, "--rib 'a%'" + notPerFrame + "'%'" + notInteger, 0, 0},
        {{"--export", "--rib", "a%d%d"},
         "--rib 'a%d%d'" + notPerFrame + "it has more than one conversion; the frame number goes in once",
         0,
         0},
        {{"--export", "--rib", "a%%.rib"},
         "--rib 'a%%.rib'" + notPerFrame + "it has no frame number conversion such as %04d",
         0,
         0},
        {{"--export", "--rib", "a%0100d"},
         "--rib 'a%0100d'" + notPerFrame + "'%0100d' is wider than 99 characters",
         0,
         0},
        {{"--export", "--rib", "a%.100d"},
         "--rib 'a%.100d'" + notPerFrame + "'%.100d' is wider than 99 characters",
         0,
         0},
        {{"--export", "--image-size"}, "--image-size needs a value", 0, 0},
        {{"--export", "--image-size", "1280"}, badSize + "'1280'", 0, 0},
        {{"--export", "--image-size=0x720"}, badSize + "'0x720'", 0, 0},
        {{"--export", "--image-size", "65537x2"}, badSize + "'65537x2'", 0, 0},
        {{"--image-size", "1280x720"}, "--image-size works only with --export", 0, 0},
    };
    for (const Case& c : bad) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.problem, c.rib) << testing::PrintToString(c.arguments);
    }
    EXPECT_NE(std::string(helpText()).find("--image-size WxH"), std::string::npos);
    EXPECT_NE(std::string(usageLine()).find("--image-size WxH"), std::string::npos);
}

TEST(Options, ReadSceneFilesAndWriteScene)
{
    const Parsed file = parse({"--scene-file", "my scene.toml", "--headless", "--steps", "5"});
    ASSERT_TRUE(file.ok) << file.problem;
    EXPECT_EQ(file.options.sceneFile, "my scene.toml");
    EXPECT_FALSE(file.options.isBodiesGiven);
    const Parsed bodies = parse({"--scene-file=a.toml", "--bodies", "1"});
    ASSERT_TRUE(bodies.ok) << bodies.problem;
    EXPECT_EQ(bodies.options.sceneFile, "a.toml");
    EXPECT_TRUE(bodies.options.isBodiesGiven) << "--bodies 1 given must win over the file's count";
    const Parsed write = parse({"--write-scene", "5", "-"});
    ASSERT_TRUE(write.ok) << write.problem;
    EXPECT_EQ(write.options.writeScene, 5);
    EXPECT_EQ(write.options.writeSceneTarget, "-");
    EXPECT_EQ(parse({}).options.writeScene, -1);

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--scene-file"}, "--scene-file needs a value"},
        {{"--scene-file="}, "--scene-file takes a file name, not ''"},
        {{"--scene", "3", "--scene-file", "a.toml"}, "--scene and --scene-file do not go together"},
        {{"--write-scene", "5"}, "--write-scene needs a scene number and a file name"},
        {{"--write-scene", "13", "a.toml"}, "--write-scene takes a scene number from 0 to 12, not '13'"},
        {{"--write-scene", "1", ""}, "--write-scene takes a file name, not ''"},
        {{"--write-scene", "1", "a.toml", "--scene", "2"}, "--write-scene takes no other option"},
    };
    for (const auto& [arguments, problem] : bad) {
        const Parsed parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok) << problem;
        EXPECT_EQ(parsed.problem, problem);
    }
}
