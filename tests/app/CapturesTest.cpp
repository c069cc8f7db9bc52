// Screenshots, the video recorder and the capture options, through the
// recording OpenGL stand-in (whose glReadPixels answers with a known pattern)
// and, where the machine has it, the real ffmpeg.
#include "ViewerTestSupport.h"
#include "app/Captures.h"
#include "app/Options.h"
#include "app/Screenshot.h"
#include "app/VideoRecorder.h"

#include <GL/glut.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace viewertest;

namespace {
struct TempDir {
    std::string path;
    TempDir()
    {
        char name[] = "/tmp/blorp-captures-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool hasTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

// The PNG's pixels, top row first.
Picture readPng(const std::string& path)
{
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) return Picture();
    picture.width = int(image.width);
    picture.height = int(image.height);
    return picture;
}

std::array<unsigned char, 3> pixel(const Picture& picture, int column, int row)
{
    const size_t at = (size_t(row) * size_t(picture.width) + size_t(column)) * 3;
    return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

ViewerOptions captureOptions()
{
    ViewerOptions options;
    options.scene = 12;
    return options;
}

std::string runCommand(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        ::pclose(pipe);
    }
    return out;
}
}  // namespace

TEST(CaptureOptions, ReadCaptureOptionsAndRejectThoseThatCannotWork)
{
    auto parse = [](std::vector<std::string> arguments, ViewerOptions& options, std::string& problem) {
        arguments.insert(arguments.begin(), "blorp");
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        return parseOptions(int(argv.size()), argv.data(), options, problem);
    };
    ViewerOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--shots", "pictures", "--record=run.webm", "--record-every", "4", "--mesh-cache", "cache"},
                      options, problem))
        << problem;
    EXPECT_EQ(options.shotsDirectory, "pictures");
    EXPECT_EQ(options.recordFile, "run.webm");
    EXPECT_EQ(options.recordEvery, 4);
    EXPECT_EQ(options.meshCacheDirectory, "cache");
    ASSERT_TRUE(parse({"--headless", "--steps", "8", "--mesh-cache=out"}, options, problem)) << problem;
    EXPECT_EQ(options.meshCacheDirectory, "out");
    EXPECT_EQ(options.recordEvery, 1);
    EXPECT_TRUE(options.recordFile.empty());

    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"--headless", "--steps", "8", "--shots", "d"}, "--shots needs the window: a --headless run draws no picture"},
        {{"--headless", "--steps", "8", "--record", "a.mp4"},
         "--record needs the window: a --headless run draws no picture"},
        {{"--record", "a.avi"}, "--record takes a file name ending in .mp4, .webm or .gif, not 'a.avi'"},
        {{"--record", ".mp4x"}, "--record takes a file name ending in .mp4, .webm or .gif, not '.mp4x'"},
        {{"--record", "--shots"}, "--record takes a file name ending in .mp4, .webm or .gif, not '--shots'"},
        {{"--record-every", "2"}, "--record-every works only with --record"},
        {{"--record", "a.gif", "--record-every", "0"}, "--record-every takes a whole number of 1 or more, not '0'"},
        {{"--mesh-cache"}, "--mesh-cache needs a value"},
        {{"--mesh-cache", ""}, "--mesh-cache takes a directory, not ''"},
        {{"--shots", "--record"}, "--shots takes a directory, not '--record'"},
    };
    for (const auto& [arguments, expected] : bad) {
        EXPECT_FALSE(parse(arguments, options, problem)) << testing::PrintToString(arguments);
        EXPECT_EQ(problem, expected) << testing::PrintToString(arguments);
    }
    const std::string help = helpText();
    for (const char* named : {"--shots DIR", "--record FILE", "--record-every N", "--mesh-cache DIR", "  F2  "})
        EXPECT_NE(help.find(named), std::string::npos) << named;
}

TEST(Screenshot, ReadWindowKeepsTheTopLeftCornerWhenCroppingOrPadding)
{
    // Larger than the window: the window's rows at the top, black below and right.
    Picture padded = readWindow(10, 8, 12, 11);
    ASSERT_EQ(padded.rgb.size(), size_t(12 * 11 * 3));
    // Picture rows count from the bottom, like the window's.
    for (int row = 0; row < 11; ++row)
        for (int column = 0; column < 12; ++column) {
            const bool isInside = column < 10 && row >= 3;
            const std::array<unsigned char, 3> expected =
                isInside ? glrecorder::readPixel(column, row - 3) : std::array<unsigned char, 3>{0, 0, 0};
            ASSERT_EQ(pixel(padded, column, row), expected) << "column " << column << ", row " << row;
        }
    // Smaller: the window's top-left part.
    Picture cropped = readWindow(10, 8, 4, 3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            ASSERT_EQ(pixel(cropped, column, row), glrecorder::readPixel(column, row + 5)) << column << "," << row;
    EXPECT_EQ(glrecorder::packRowLength, 0) << "the pack state is put back";
}

TEST(Screenshot, F2SavesTheNextDrawnFrameAsAPngOfTheWindowTopRowFirst)
{
    TempDir dir;
    useScene(12);
    ViewerOptions options = captureOptions();
    options.shotsDirectory = dir.path;
    prepareCaptures(options);
    viewerState.width = 40;
    viewerState.height = 30;
    viewerState.showsStatistics = true;

    testing::internal::CaptureStderr();
    special(GLUT_KEY_F2, 0, 0);
    EXPECT_FALSE(exists(dir.path + "/blorp-12-0.png")) << "the picture is taken when the frame is drawn";
    glrecorder::clear();
    display();
    const std::string path = dir.path + "/blorp-12-1.png";
    const std::vector<std::string> frame = glrecorder::texts();
    const auto read = std::find(frame.begin(), frame.end(), call("glReadPixels", {0, 0, 40, 30, GL_RGB, GL_UNSIGNED_BYTE}));
    const auto swap = std::find(frame.begin(), frame.end(), call("glutSwapBuffers", {}));
    EXPECT_LT(read, swap) << "read from the drawn buffer before it is shown";

    const Picture png = readPng(path);
    ASSERT_EQ(png.width, 40) << path;
    ASSERT_EQ(png.height, 30);
    for (int row = 0; row < 30; ++row)
        for (int column = 0; column < 40; ++column)
            ASSERT_EQ(pixel(png, column, row), glrecorder::readPixel(column, 29 - row)) << column << "," << row;
    EXPECT_NE(viewerState.statisticsLine(globalWorld, viewerState.clock()).find("F2: screenshot " + path),
              std::string::npos);

    // Once per press; a second shot of the same step keeps the first.
    viewerState.isPaused = true;
    display();
    EXPECT_FALSE(exists(dir.path + "/blorp-12-1-2.png"));
    special(GLUT_KEY_F2, 0, 0);
    display();
    EXPECT_TRUE(exists(dir.path + "/blorp-12-1-2.png"));
    // A directory that is not there: said, and the viewer goes on.
    options.shotsDirectory = dir.path + "/missing";
    prepareCaptures(options);
    special(GLUT_KEY_F2, 0, 0);
    display();
    const std::vector<std::string> log = lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "blorp: screenshot " + path + " (40x30)");
    EXPECT_EQ(log[1], "blorp: screenshot " + dir.path + "/blorp-12-1-2.png (40x30)");
    EXPECT_EQ(log[2], "blorp: the screenshot " + dir.path + "/missing/blorp-12-1.png could not be written: " +
                          "No such file or directory");
    EXPECT_FALSE(exists(dir.path + "/missing"));
}

TEST(VideoRecorder, EachVideoFrameStandsForTheSameNumberOfSteps)
{
    VideoRecorder recorder("run.mp4", 3, 0.005);
    // Frames come due as whole multiples of 3 steps are passed, however the
    // steps are spread over drawn frames.
    const int steps[] = {1, 1, 1, 7, 0, 2, 20};
    const int due[] = {0, 0, 1, 2, 0, 1, 6};
    for (size_t s = 0; s < std::size(steps); ++s) EXPECT_EQ(recorder.framesDue(steps[s]), due[s]) << "call " << s;
    const std::string command = recorder.commandLine();
    EXPECT_NE(command.find(" -f rawvideo -pix_fmt rgb24 "), std::string::npos) << command;
    EXPECT_NE(command.find(" -r 200/3 -i - "), std::string::npos) << command;
    EXPECT_NE(command.find("vflip"), std::string::npos) << command;
    EXPECT_EQ(command.substr(command.size() - 8), " run.mp4");
}

TEST(VideoRecorder, AMissingOrFailingFfmpegIsReportedWithItsMessage)
{
    TempDir dir;
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", dir.path.c_str(), 1);
    VideoRecorder missing(dir.path + "/a.mp4", 1, 0.005);
    EXPECT_FALSE(missing.start(8, 8));
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(missing.failure(), "cannot run ffmpeg: No such file or directory");
    EXPECT_EQ(missing.takeFailure(), "cannot run ffmpeg: No such file or directory");
    EXPECT_EQ(missing.takeFailure(), "") << "reported once";

    if (!hasTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing (tools/setup.sh installs it)";
    VideoRecorder failing(dir.path + "/missing/a.mp4", 1, 0.005);
    ASSERT_TRUE(failing.start(8, 8)) << failing.failure();
    Picture picture;
    picture.width = picture.height = 8;
    picture.rgb.assign(8 * 8 * 3, 128);
    for (int f = 0; f < 3; ++f) failing.add(picture, 1);
    EXPECT_FALSE(failing.finish());
    EXPECT_NE(failing.failure().find("No such file or directory"), std::string::npos) << failing.failure();
    EXPECT_EQ(failing.takeFailure(), failing.failure());
}

TEST(VideoRecorder, TheVideoLastsAsLongAsTheSimulatedTimeItShows)
{
    if (!hasTool("ffmpeg") || !hasTool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is missing (tools/setup.sh installs them)";
    TempDir dir;
    for (const char* name : {"/a.mp4", "/a.webm", "/a.gif"}) {
        const std::string file = dir.path + name;
        // 2 steps a frame: 100 frames a second; 120 steps are 0.6 s.
        VideoRecorder recorder(file, 2, 0.005);
        ASSERT_TRUE(recorder.start(33, 17)) << recorder.failure();
        for (int drawn = 0; drawn < 60; ++drawn) {
            Picture picture;
            picture.width = 33;
            picture.height = 17;
            picture.rgb.assign(33 * 17 * 3, static_cast<unsigned char>(drawn * 4));
            recorder.add(std::move(picture), recorder.framesDue(2));
        }
        ASSERT_TRUE(recorder.finish()) << name << ": " << recorder.failure();
        EXPECT_EQ(recorder.framesWritten(), 60);
        EXPECT_DOUBLE_EQ(recorder.seconds(), 0.6);
        const double duration =
            std::atof(runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + file + "'").c_str());
        EXPECT_NEAR(duration, 0.6, 0.06) << name;
    }
}

TEST(VideoRecorder, TheViewerRecordsEveryNthStepAndFinishesTheFileOnTheWayOut)
{
    if (!hasTool("ffmpeg") || !hasTool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is missing (tools/setup.sh installs them)";
    TempDir dir;
    useScene(12);
    viewerState.width = 24;
    viewerState.height = 20;
    ViewerOptions options = captureOptions();
    options.recordFile = dir.path + "/s12.mp4";
    options.recordEvery = 2;
    prepareCaptures(options);
    glrecorder::clear();
    testing::internal::CaptureStderr();
    for (int f = 0; f < 40; ++f) display();
    // A resize while recording: the video keeps its first size.
    viewerState.width = 50;
    for (int f = 0; f < 40; ++f) display();
    EXPECT_EQ(glrecorder::count("glReadPixels"), 40);
    EXPECT_EQ(closeExport(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "blorp: recorded 40 frames (0.400 s of simulated time) to " + options.recordFile + "\n");
    EXPECT_EQ(runCommand("ffprobe -v error -select_streams v -show_entries stream=width,height -of csv=p=0 '" +
                         options.recordFile + "'"),
              "24,20\n");
}
