// Where RIB goes and how it gets there: files, standard output, pipes, the
// binary encoding, and what happens when the output fails.

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ri.h>
#include "ribout/RibWriter.h"
#include "RibCapture.h"

namespace {

using ribcapture::kHeader;
using ribcapture::readFile;
using ribcapture::requests;
using ribcapture::scratchPath;

std::string bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int value : values) {
        text += static_cast<char>(value);
    }
    return text;
}

void setRibBinary(RtInt value)
{
    RiOption("rib", "binary", &value, RI_NULL);
}

TEST(RibOutput, WritesHeaderAndClosingNewlineToAFile)
{
    const std::string path = scratchPath("file.rib");
    RiBegin(path.c_str());
    RiWorldBegin();
    RiEnd();
    EXPECT_EQ(readFile(path), std::string(kHeader) + "WorldBegin\n\n");
    std::remove(path.c_str());

    RiBegin(path.c_str());
    RiEnd();
    EXPECT_EQ(readFile(path), std::string(kHeader) + "\n") << "an empty file still ends with \\n";
    std::remove(path.c_str());
}

TEST(RibOutput, WorldEndMakesTheTextVisibleAtOnce)
{
    const std::string path = scratchPath("flush.rib");
    RiBegin(path.c_str());
    RiWorldBegin();
    RiWorldEnd();
    EXPECT_EQ(readFile(path), std::string(kHeader) + "WorldBegin\nWorldEnd\n");
    RiEnd();
    std::remove(path.c_str());
}

TEST(RibOutput, WritesToStandardOutputAndLeavesItOpen)
{
    testing::internal::CaptureStdout();
    std::printf("before\n");
    RiBegin(RI_NULL);
    std::printf("program line\n");
    RiSphere(1, -1, 1, 360, RI_NULL);
    RiEnd();
    const int written = std::printf("after\n");
    std::fflush(stdout);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_GT(written, 0) << "standard output was closed";
    EXPECT_EQ(text, std::string("before\n") + kHeader + "program line\nSphere 1 -1 1 360\n\nafter\n");
}

TEST(RibOutput, WritesThroughACommandPipeAndWaitsForIt)
{
    const std::string path = scratchPath("piped.rib");
    const std::string command = "|cat > " + path;
    RiBegin(command.c_str());
    RiTranslate(1, 2, 3);
    RiEnd();
    // No waiting here: RiEnd returned only after cat finished.
    EXPECT_EQ(readFile(path), std::string(kHeader) + "Translate 1 2 3 \n\n");
    std::remove(path.c_str());
}

TEST(RibOutput, TakesOnlyExactRendererNamesAsPipes)
{
    const std::string directory = scratchPath("names");
    ASSERT_EQ(system(("mkdir -p " + directory).c_str()), 0);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(directory.c_str()), 0);
    RiBegin("Prman");
    RiEnd();
    RiBegin("rgl.rib");
    RiEnd();
    EXPECT_EQ(readFile("Prman"), std::string(kHeader) + "\n");
    EXPECT_EQ(readFile("rgl.rib"), std::string(kHeader) + "\n");

    // The exact word is run as a command: a stand-in "rgl" found on PATH
    // receives the RIB.
    {
        std::FILE* script = std::fopen("rgl", "w");
        ASSERT_NE(script, nullptr);
        std::fputs("#!/bin/sh\ncat > received.rib\n", script);
        std::fclose(script);
    }
    ASSERT_EQ(system("chmod +x rgl"), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (std::string(previous) + "/" + directory + ":" + oldPath).c_str(), 1);
    RiBegin("rgl");
    RiWorldBegin();
    RiEnd();
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(readFile("received.rib"), std::string(kHeader) + "WorldBegin\n\n");

    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(system(("rm -r " + directory).c_str()), 0);
}

TEST(RibOutput, UnopenableFilesAreReportedAndLeaveNoRenderer)
{
    const std::string directory = scratchPath("dir");
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    struct Case {
        std::string name;
        std::string reason;
    };
    const Case cases[] = {
        {"/nonexistent-blorp-dir/out.rib", "No such file or directory"},
        {directory, "Is a directory"},
    };
    for (const Case& c : cases) {
        RiLastError = RIE_NOERROR;
        testing::internal::CaptureStderr();
        EXPECT_EQ(RiBegin(c.name.c_str()), nullptr) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "ERROR: File not found\n    --> Error making RIB file: bad filename: " + c.name +
                      ": " + c.reason + "\n");
        EXPECT_EQ(RiGetContext(), nullptr) << c.name;
        EXPECT_EQ(RiLastError, RIE_NOFILE) << c.name;
    }
    // The superuser may write anywhere, so a read-only directory stops only
    // other users.
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(directory.c_str(), 0555), 0);
        const std::string inside = directory + "/out.rib";
        RiErrorHandler(RiErrorIgnore);
        EXPECT_EQ(RiBegin(inside.c_str()), nullptr);
        RiErrorHandler(RiErrorPrint);
        EXPECT_EQ(RiLastError, RIE_NOFILE);
    }
    rmdir(directory.c_str());
}

// Status 0 when RiBegin of a pipe fails cleanly with no file descriptor
// left for the pipe, so that popen fails before any command runs.
[[noreturn]] void beginPipeWithoutDescriptors()
{
    rlimit few;
    few.rlim_cur = few.rlim_max = 16;
    setrlimit(RLIMIT_NOFILE, &few);
    while (dup(STDERR_FILENO) >= 0) {
    }
    const RtContextHandle context = RiBegin("|cat");
    const bool clean = context == nullptr && RiGetContext() == nullptr && RiLastError == RIE_NOFILE;
    std::exit(clean ? 0 : 1);
}

TEST(RibOutputDeathTest, CommandThatCannotBeStartedIsReported)
{
#if defined(__SANITIZE_ADDRESS__)
    // The undefined-behaviour checks test memory through a pipe of their
    // own, which this test leaves no descriptors for.
    GTEST_SKIP() << "needs every file descriptor, which the sanitizers use too";
#endif
    EXPECT_EXIT(beginPipeWithoutDescriptors(), testing::ExitedWithCode(0),
                "^ERROR: File not found\n    --> Error opening pipe to cat: Too many open files\n$");
}

TEST(RibOutput, WritesBinaryFloatsBigEndian)
{
    RtColor red = {1, 0, 0};
    setRibBinary(1);
    const std::string body = requests([&] {
        RiColor(red);
        RiTranslate(0, 0, -5);
        RiScale(1, 1, -1);
    });
    setRibBinary(0);
    EXPECT_EQ(body, "Color " + bytes({0xC8, 0x03, 0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                        "\nTranslate " +
                        bytes({0xA4, 0, 0, 0, 0, 0xA4, 0, 0, 0, 0, 0xA4, 0xC0, 0xA0, 0, 0}) +
                        "\nScale 1 1 -1\n");
}

TEST(RibOutput, ChoosesTheBinaryArrayHeaderByLength)
{
    const std::vector<RtFloat> p(3 * 21846, 1.0f);
    const RtInt sizes[] = {1, 85, 86, 21845, 21846};
    const std::string headers[] = {
        bytes({0xC8, 3}),
        bytes({0xC8, 255}),
        bytes({0xC9, 1, 2}),
        bytes({0xC9, 0xFF, 0xFF}),
        bytes({0xCA, 1, 0, 2}),
    };
    setRibBinary(1);
    for (int i = 0; i < 5; ++i) {
        const std::string body =
            requests([&] { RiPolygon(sizes[i], "P", const_cast<RtFloat*>(p.data()), RI_NULL); });
        const std::string start = "Polygon \"P\" " + headers[i];
        EXPECT_EQ(body.compare(0, start.size(), start), 0) << "vertices " << sizes[i];
        EXPECT_EQ(body.size(), start.size() + 12u * sizes[i] + 1) << "vertices " << sizes[i];
    }
    setRibBinary(0);
}

TEST(RibOutput, OptionRibOnTheWriterSwitchesBinaryModeAndWritesNothing)
{
    RtColor grey = {0.5f, 0.5f, 0.5f};
    const std::string body = requests([&] {
        RiColor(grey);
        RtToken tokens[] = {"binary"};
        RtInt one = 1;
        RtPointer values[] = {&one};
        ribcapture::currentWriter()->OptionV("rib", 1, tokens, values);
        RiColor(grey);
    });
    EXPECT_EQ(body, "Color [0.5 0.5 0.5]\nColor " +
                        bytes({0xC8, 3, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0}) + "\n");
}

TEST(RibOutput, CompressionOptionLeavesTheFileUnchanged)
{
    const std::string plain = requests([] { RiWorldBegin(); });
    RtString gzip = "gzip", none = "none";
    RiOption("rib", "compression", &gzip, RI_NULL);
    EXPECT_EQ(ribCompression, 1);
    const std::string compressed = requests([] { RiWorldBegin(); });
    RiOption("rib", "compression", &none, RI_NULL);
    EXPECT_EQ(plain, compressed);
}

TEST(RibOutput, WriterOptionsChooseTheEncoding)
{
    const std::string path = scratchPath("options.rib");
    RtColor white = {1, 1, 1};
    RtInt gzip = 1;
    RtString binaryFormat = "binary";
    auto* writer = new RibWriter(path.c_str(), "format", &binaryFormat, "gzip", &gzip, RI_NULL);
    EXPECT_EQ(writer->binaryMode, 1);
    EXPECT_EQ(writer->compressionMode, 1);
    writer->Color(white);
    delete writer;
    EXPECT_EQ(readFile(path), std::string(kHeader) + "Color " +
                                  bytes({0xC8, 3, 0x3F, 0x80, 0, 0, 0x3F, 0x80, 0, 0, 0x3F,
                                         0x80, 0, 0}) +
                                  "\n\n");
    RtToken tokens[] = {"format", "binary"};
    RtInt zero = 0;
    RtPointer values[] = {&binaryFormat, &zero};
    writer = new RibWriter(path.c_str(), 2, tokens, values);
    EXPECT_EQ(writer->binaryMode, 0) << "the later option wins";
    delete writer;
    std::remove(path.c_str());
}

TEST(RibOutputDeathTest, OutputOfWritersNeverEndedReachesTheFilesAtExit)
{
    const std::string first = scratchPath("first.rib");
    const std::string second = scratchPath("second.rib");
    EXPECT_EXIT(
        {
            RiBegin(first.c_str());
            RiWorldBegin();
            RiBegin(second.c_str());
            RiSphere(1, -1, 1, 360, RI_NULL);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(first), std::string(kHeader) + "WorldBegin\n");
    EXPECT_EQ(readFile(second), std::string(kHeader) + "Sphere 1 -1 1 360\n");
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(RibOutput, WritesArchiveRecordsOfAnyLengthWhole)
{
    const std::string longText(25000, 'x');
    const std::string body = requests([&] {
        RiArchiveRecord("comment", "%s|%s", longText.c_str(), longText.c_str());
        RiArchiveRecord("verbatim", "%s", longText.c_str());
    });
    EXPECT_EQ(body, "# " + longText + "|" + longText + "\n" + longText);
}

// Makes a locale with decimal commas current, or says why none is available.
// glibc builds one from its sources with localedef when none is installed.
std::string switchToDecimalCommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            return {};
        }
    }
    const std::string directory = "ribtest_locales_" + std::to_string(getpid());
    const std::string build = "localedef -i de_DE -f UTF-8 -c " + directory +
                              "/de_DE.UTF-8 >/dev/null 2>&1";
    if (system(("mkdir -p " + directory).c_str()) != 0 || system(build.c_str()) != 0) {
        return "no locale with decimal commas is installed and localedef could not build one";
    }
    char* absolute = realpath(directory.c_str(), nullptr);
    setenv("LOCPATH", absolute, 1);
    std::free(absolute);
    const bool switched = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    return switched ? "" : "the locale built by localedef could not be selected";
}

TEST(RibOutput, WritesDecimalPointsUnderADecimalCommaLocale)
{
    const std::string problem = switchToDecimalCommaLocale();
    if (!problem.empty()) {
        GTEST_SKIP() << problem;
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 0.5);
    if (std::string(probe) != "0,5") {
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "the selected locale does not use decimal commas";
    }
    RtFloat knots[4] = {0, 0, 1, 1};
    RtFloat p[6] = {0.25f, 0.5f, 0.75f, 1.5f, 2.5f, 3.5f};
    const std::string body = requests([&] {
        RiFormat(640, 480, 1.5f);
        RiTranslate(0.5f, -1.25f, 3);
        RiColor(p);
        RiArchiveRecord("comment", "%.2f", 0.5);
        RiNuPatch(2, 2, knots, 0.5f, 1, 1, 1, knots, 0, 1, "P", p, RI_NULL);
    });
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(system(("rm -rf ribtest_locales_" + std::to_string(getpid())).c_str()), 0);
    EXPECT_EQ(body,
              "Format 640 480 1.5\nTranslate 0.5 -1.25 3 \nColor [0.25 0.5 0.75]\n# 0.50\n"
              "NuPatch 2 2 [0 0 1 1] 0.500000 1.000000 1 1 [0 0] 0.000000 1.000000  "
              "\"P\" [0.25 0.5 0.75 1.5 2.5 3.5]\n");
}

TEST(RibOutputDeathTest, ReaderThatQuitsEarlyIsReportedNotFatal)
{
    // The command reads nothing and exits; the writes that follow fail with
    // EPIPE. The process must live on and RiEnd must say the output is lost.
    EXPECT_EXIT(
        {
            std::signal(SIGPIPE, SIG_DFL);
            RiBegin("|exec true");
            std::vector<RtFloat> p(3 * 4000, 0.5f);
            for (int i = 0; i < 50; ++i) {
                RiPolygon(4000, "P", p.data(), RI_NULL);
            }
            RiEnd();
            std::fprintf(stderr, "still alive\n");
            std::exit(0);
        },
        testing::ExitedWithCode(0),
        "ERROR: System error\n    --> could not write all RIB output to pipe \"exec true\": Broken "
        "pipe \\(the command is no longer reading\\)\n"
        "still alive\n");
}

TEST(RibOutputDeathTest, FailedWritesAndCommandsAreReportedAtRiEnd)
{
    EXPECT_EXIT(
        {
            RiBegin("/dev/full");
            RiWorldBegin();
            RiEnd();
            std::exit(0);
        },
        testing::ExitedWithCode(0),
        "ERROR: System error\n    --> could not write all RIB output to \"/dev/full\": No space left "
        "on device\n");
    EXPECT_EXIT(
        {
            RiBegin("|cat > /dev/null; exit 3");
            RiWorldBegin();
            RiEnd();
            std::exit(0);
        },
        testing::ExitedWithCode(0),
        "ERROR: System error\n    --> RIB output pipe \"cat > /dev/null; exit 3\" ended with "
        "exit status 3\n");
}

TEST(RibOutput, ReportsNothingWhenAllWentWell)
{
    testing::internal::CaptureStderr();
    const std::string path = scratchPath("quiet.rib");
    RiBegin(("|cat > " + path).c_str());
    RiWorldBegin();
    RiEnd();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::remove(path.c_str());
}

TEST(RibOutputDeathTest, OutputLeftUnreadByAnEndedCommandIsReported)
{
    // "head" reads a few bytes and exits with status 0; the rest of a small
    // output, already in the pipe, is never read by anyone.
    EXPECT_EXIT(
        {
            RiBegin("|head -c 5 > /dev/null");
            RiWorldBegin();
            RiEnd();
            std::exit(RiLastError == RIE_SYSTEM ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "ERROR: System error\n    --> could not write all RIB output to pipe \"head -c 5 > "
        "/dev/null\": the command ended without reading all of it\n");
}

TEST(RibOutput, OutputStillHeldByABackgroundReaderIsNotReported)
{
    // The command ends at once but leaves a job that reads everything later
    // (through a copy of the pipe: a background job's own input would be
    // /dev/null). The job starts reading only once the command's shell is
    // gone, reaped by the writer, so every request meets a command that has
    // ended; it gives up waiting after 60 s.
    const std::string path = scratchPath("late.rib");
    testing::internal::CaptureStderr();
    RiBegin(("|exec 3<&0; (i=0; while kill -0 $$ 2>/dev/null && [ $i -lt 6000 ]; do "
             "sleep 0.01; i=$((i + 1)); done; cat <&3 > " +
             path + ") &")
                .c_str());
    RiWorldBegin();
    RiEnd();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::string expected = std::string(kHeader) + "WorldBegin\n\n";
    std::string text;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (text != expected && std::chrono::steady_clock::now() < giveUp) {
        usleep(10 * 1000);
        text = readFile(path);
    }
    EXPECT_EQ(text, expected);
    std::remove(path.c_str());
}

TEST(RibOutput, CountsBeyondTheIntRangeWriteTheRequestAsGiven)
{
    // Products and sums of the caller's counts pass the range of an int; the
    // writer must count in a wider type rather than overflow.
    RtFloat constant = 0.5f;
    RtInt hugeBlob[] = {0, 2147483647};
    const std::string body = requests([&] {
        RiPatchMesh("bilinear", 65537, "periodic", 65537, "periodic", "constant float c",
                    &constant, RI_NULL);
        RiNuPatch(-2147483647, 2, nullptr, 0, 1, 2147483647, -2147483647, nullptr, 0, 1,
                  "constant float c", &constant, RI_NULL);
        testing::internal::CaptureStderr();
        RiBlobby(0, 2, hugeBlob, 0, nullptr, 0, nullptr, RI_NULL);
        testing::internal::GetCapturedStderr();
    });
    EXPECT_EQ(body,
              "PatchMesh \"bilinear\" 65537 \"periodic\" 65537 \"periodic\" "
              "\"constant float c\" [0.5]\n"
              "NuPatch -2147483647 2 [] 0.000000 1.000000 2147483647 -2147483647 [] 0.000000 "
              "1.000000  \"constant float c\" [0.5]\n"
              "Blobby 0 [0 2147483647 ] [] []\n");
}

}  // namespace
