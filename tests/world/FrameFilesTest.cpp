#include "RibCapture.h"
#include "world/FrameExport.h"
#include "world/FrameFiles.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
World quietWorld(int scene)
{
    testing::internal::CaptureStderr();
    World world(scene);
    testing::internal::GetCapturedStderr();
    return world;
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/blorp-frames-XXXXXX";
        path_ = ::mkdtemp(name) != nullptr ? name : "";
    }
    ~TempFolder()
    {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs `calls` exports of `world` into `pattern` and leaves the globals as
// the other tests expect them.
void exportToPattern(World& world, const std::string& pattern, int calls)
{
    frameCounter = -1;
    frameFiles::resetRecord();
    exportFramePattern = pattern.c_str();
    for (int c = 0; c < calls; ++c) world.exportFrame();
    exportFramePattern = nullptr;
}

// The frames of a single-file export, each from FrameBegin to its FrameEnd line.
std::vector<std::string> framesOf(const std::string& text)
{
    std::vector<std::string> frames;
    for (size_t at = text.find("FrameBegin "); at != std::string::npos; at = text.find("FrameBegin ", at + 1))
        frames.push_back(text.substr(at, text.find("FrameEnd\n", at) + 9 - at));
    return frames;
}

// Frame `frame` of a single-file export as a file of its own has it: light
// handles count from 1 in every file, while one long output goes on
// counting from frame to frame.
std::string asOwnFile(std::string frame, int number)
{
    const std::string ambient = std::to_string(2 * number + 1), spot = std::to_string(2 * number + 2);
    const std::pair<std::string, std::string> renames[] = {
        {"\"ambientlight\" " + ambient + " ", "\"ambientlight\" 1 "},
        {"Illuminate " + ambient + " 1", "Illuminate 1 1"},
        {"\"spotlight\" " + spot + " ", "\"spotlight\" 2 "},
        {"Illuminate " + spot + " 1", "Illuminate 2 1"},
    };
    for (const auto& [from, to] : renames) {
        const size_t at = frame.find(from);
        if (at != std::string::npos) frame.replace(at, from.size(), to);
    }
    return ribcapture::kHeader + frame + "\n";
}
}  // namespace

TEST(FrameFiles, NamesFramesByThePatternAndChecksIt)
{
    EXPECT_EQ(frameFiles::nameOf("frames/blorp.%04d.rib", 7), "frames/blorp.0007.rib");
    EXPECT_EQ(frameFiles::nameOf("100%%/f%x", 255), "100%/fff");
    EXPECT_EQ(frameFiles::nameOf("%d", 12345), "12345");
    EXPECT_EQ(frameFiles::nameOf("f%099d", 1).size(), 100u);
    std::string problem;
    EXPECT_TRUE(frameFiles::checkPattern("a%+5.3i%%", problem)) << problem;
    EXPECT_FALSE(frameFiles::checkPattern("a%n", problem));
    EXPECT_FALSE(frameFiles::checkPattern("%d%n", problem));
    EXPECT_FALSE(frameFiles::checkPattern("%hhd", problem));
    EXPECT_FALSE(frameFiles::checkPattern(std::string("a%\0d", 4), problem));
    EXPECT_TRUE(frameFiles::isPattern("a%d"));
    EXPECT_FALSE(frameFiles::isPattern("|render %d"));
    EXPECT_FALSE(frameFiles::isPattern("-"));
    EXPECT_FALSE(frameFiles::isPattern("plain.rib"));
}

TEST(FrameFiles, WritesEachFrameAsACompleteFileOfItsOwn)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    World single = quietWorld(7);
    World perFrame = quietWorld(7);

    // The same frames, all in one file...
    const std::string whole = folder.path() + "/all.rib";
    frameCounter = -1;
    exportTarget = whole.c_str();
    exportImageWidth = 160;
    exportImageHeight = 120;
    for (int c = 0; c < 17; ++c) {
        single.step();
        single.exportFrame();
    }
    RiEnd();
    exportTarget = "blorp10.rib";
    const std::vector<std::string> frames = framesOf(ribcapture::readFile(whole));
    ASSERT_EQ(frames.size(), 3u);

    // ...and one file each, in a folder that does not exist yet.
    const std::string pattern = folder.path() + "/deep/er/s7.%04d.rib";
    frameCounter = -1;
    frameFiles::resetRecord();
    exportFramePattern = pattern.c_str();
    for (int c = 0; c < 17; ++c) {
        perFrame.step();
        perFrame.exportFrame();
        EXPECT_EQ(RiGetContext(), nullptr) << "no output stays open between frames, call " << c;
    }
    exportFramePattern = nullptr;
    exportImageWidth = exportImageHeight = 400;

    for (int frame = 0; frame < 3; ++frame) {
        const std::string name = frameFiles::nameOf(pattern, frame);
        EXPECT_EQ(ribcapture::readFile(name), asOwnFile(frames[size_t(frame)], frame)) << name;
        EXPECT_FALSE(exists(frameFiles::partialName(name))) << name;
    }
    EXPECT_NE(frames[2].find("Format 160 120 1\n"), std::string::npos);
    EXPECT_FALSE(exists(frameFiles::nameOf(pattern, 3)));
    EXPECT_EQ(frameFiles::record().written, 3);
    EXPECT_EQ(frameFiles::record().lastWritten, frameFiles::nameOf(pattern, 2));
    EXPECT_EQ(frameFiles::record().failedFile, "");
}

TEST(FrameFiles, AFrameThatCannotBeWrittenWholeLeavesNoFileAndIsOnRecord)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    World world = quietWorld(12);
    const std::string pattern = folder.path() + "/f%d.rib";

    // Frame 1 cannot be opened: a folder stands where its partial file goes.
    ASSERT_EQ(::mkdir(frameFiles::partialName(frameFiles::nameOf(pattern, 1)).c_str(), 0777), 0);
    testing::internal::CaptureStderr();
    exportToPattern(world, pattern, 9);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("f1.rib.part"), std::string::npos) << report;
    EXPECT_EQ(RiGetContext(), nullptr);
    EXPECT_EQ(frameFiles::record().written, 1);
    EXPECT_EQ(frameFiles::record().lastWritten, frameFiles::nameOf(pattern, 0));
    EXPECT_EQ(frameFiles::record().failedFile, frameFiles::nameOf(pattern, 1));
    EXPECT_FALSE(exists(frameFiles::nameOf(pattern, 1)));

    // Frame 0 is written but cannot take its name: a folder holds it. The
    // partial file goes, and the reason is kept.
    const std::string taken = folder.path() + "/g%d.rib";
    ASSERT_EQ(::mkdir(frameFiles::nameOf(taken, 0).c_str(), 0777), 0);
    exportToPattern(world, taken, 1);
    EXPECT_EQ(frameFiles::record().written, 0);
    EXPECT_EQ(frameFiles::record().lastWritten, "");
    EXPECT_EQ(frameFiles::record().failedFile, frameFiles::nameOf(taken, 0));
    EXPECT_NE(frameFiles::record().failureReason.find("could not rename"), std::string::npos)
        << frameFiles::record().failureReason;
    EXPECT_FALSE(exists(frameFiles::partialName(frameFiles::nameOf(taken, 0))));
    frameFiles::resetRecord();
}
