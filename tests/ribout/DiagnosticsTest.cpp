// The writer's own diagnostics (requests left out, counts that disagree)
// reach the handler a program installs, with a code and a severity, and the
// default printer shows each as the single line users know.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ri.h>
#include "RibCapture.h"
#include "ribout/ErrorReporting.h"

namespace {

using ribcapture::requests;

struct Report {
    RtInt code;
    RtInt severity;
    std::string message;
};

std::vector<Report> seen;

void recordReport(RtInt code, RtInt severity, const char* message)
{
    seen.push_back({code, severity, message != nullptr ? message : "(null)"});
}

// Passes every report on to the default printer, as a host that only wants
// to look at reports might.
void forwardToPrinter(RtInt code, RtInt severity, const char* message)
{
    recordReport(code, severity, message);
    RiErrorPrint(code, severity, message);
}

RtFloat customFilter(RtFloat, RtFloat, RtFloat, RtFloat)
{
    return 1;
}

struct Diagnostic {
    const char* name;
    void (*calls)();
    RtInt code;
    const char* line;
};

// One case per diagnostic the writer can give.
const Diagnostic kDiagnostics[] = {
    {"filter RIB cannot name", [] { RiPixelFilter(customFilter, 3, 3); }, RIE_INCAPABLE,
     "ribout error: PixelFilter with a filter function RIB cannot name"},
    {"parameter without a type",
     [] {
         RtFloat value = 1;
         RiSurface("s", "uniform q", &value, RI_NULL);
     },
     RIE_BADTOKEN, "ribout error: parameter \"uniform q\" has no type, left out"},
    {"undeclared parameter",
     [] {
         RtFloat value = 1;
         RiSurface("s", "notDeclaredHere", &value, RI_NULL);
     },
     RIE_BADTOKEN, "ribout error: undeclared parameter \"notDeclaredHere\""},
    {"no colour samples",
     [] {
         RtFloat matrix[3] = {1, 1, 1};
         RiColorSamples(0, matrix, matrix);
     },
     RIE_RANGE, "ribout error: ColorSamples needs at least one sample and both matrices"},
    {"colour samples without a matrix",
     [] {
         RtFloat matrix[3] = {1, 1, 1};
         RiColorSamples(1, matrix, nullptr);
     },
     RIE_MISSINGDATA, "ribout error: ColorSamples needs at least one sample and both matrices"},
    {"unknown patch type",
     [] {
         RtFloat p[48] = {0};
         RiPatchMesh("trilinear", 4, "nonperiodic", 4, "nonperiodic", "P", p, RI_NULL);
     },
     RIE_BADTOKEN, "ribout: unknown patch type trilinear"},
    {"blobby leaf count",
     [] {
         RtInt code[2] = {1001, 0};
         RtFloat floats[16] = {0};
         RiBlobby(2, 2, code, 16, floats, 0, nullptr, RI_NULL);
     },
     RIE_CONSISTENCY, "ribout error: RiBlobby nleaf [2] !=  leaf count [1]"},
    {"blobby float count",
     [] {
         RtInt code[2] = {1001, 0};
         RtFloat floats[16] = {0};
         RiBlobby(1, 2, code, 15, floats, 0, nullptr, RI_NULL);
     },
     RIE_CONSISTENCY, "ribout error: RiBlobby nflt [15] != float count [16]"},
    {"blobby string count",
     [] {
         RtInt code[2] = {1001, 0};
         RtFloat floats[16] = {0};
         RtToken strings[1] = {"unused"};
         RiBlobby(1, 2, code, 16, floats, 1, strings, RI_NULL);
     },
     RIE_CONSISTENCY, "ribout error: RiBlobby nstr [1] != string count [0]"},
    {"procedural type",
     [] {
         RtBound bound = {0, 1, 0, 1, 0, 1};
         RtString data[1] = {"x"};
         RiProcedural(
             data, bound, [](RtPointer, RtFloat) {}, nullptr);
     },
     RIE_INCAPABLE, "ribout error: procedural type"},
};

class Diagnostics : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetErrorPrinter();
        seen.clear();
    }
    void TearDown() override { resetErrorPrinter(); }
};

TEST_F(Diagnostics, ReachTheInstalledHandlerWithCodeAndSeverity)
{
    for (const Diagnostic& d : kDiagnostics) {
        seen.clear();
        RiErrorHandler(recordReport);
        testing::internal::CaptureStderr();
        requests(d.calls);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "")
            << d.name << ": the handler decides what is printed";
        ASSERT_EQ(seen.size(), 1u) << d.name;
        EXPECT_EQ(seen[0].code, d.code) << d.name;
        EXPECT_EQ(seen[0].severity, RIE_ERROR) << d.name;
        EXPECT_EQ(seen[0].message, d.line) << d.name;
        EXPECT_EQ(RiLastError, d.code) << d.name;
        resetErrorPrinter();
    }
}

TEST_F(Diagnostics, PrintAsPlainLinesThroughTheDefaultPrinter)
{
    for (const Diagnostic& d : kDiagnostics) {
        for (RtErrorHandler handler : {RtErrorHandler(nullptr), RtErrorHandler(forwardToPrinter)}) {
            resetErrorPrinter();
            RiErrorHandler(handler);
            testing::internal::CaptureStderr();
            requests(d.calls);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(d.line) + "\n")
                << d.name << (handler ? " forwarded" : " default");
        }
    }
}

TEST_F(Diagnostics, KeepLongNamesWhole)
{
    static const std::string name(3000, 'q');
    const std::string expected = "ribout error: undeclared parameter \"" + name + "\"";
    const auto calls = [] {
        RtFloat value = 1;
        RiSurface("s", name.c_str(), &value, RI_NULL);
    };
    testing::internal::CaptureStderr();
    requests(calls);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected + "\n");
    RiErrorHandler(recordReport);
    requests(calls);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, expected);
}

TEST_F(Diagnostics, StandOutsideTheFoldingOfRepeatedReports)
{
    RiErrorHandler(RiErrorIgnore);
    testing::internal::CaptureStderr();
    requests(kDiagnostics[2].calls);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(RiLastError, RIE_BADTOKEN);

    // A diagnostic between a report and its repeat neither prints the
    // pending count nor takes the report's place.
    resetErrorPrinter();
    testing::internal::CaptureStderr();
    RiErrorPrint(RIE_CONSISTENCY, RIE_WARNING, "sizes");
    RiErrorPrint(RIE_CONSISTENCY, RIE_WARNING, "sizes");
    requests(kDiagnostics[7].calls);
    RiErrorPrint(RIE_CONSISTENCY, RIE_WARNING, "sizes");
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "width");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Parameters inconsistent\n    --> sizes\n"
              "ribout error: RiBlobby nflt [15] != float count [16]\n"
              "    (last message repeated 2 times)\n"
              "WARNING: Parameter out of range\n    --> width\n");
}

TEST_F(Diagnostics, EndTheProcessUnderTheAbortingHandler)
{
    EXPECT_EXIT(
        {
            RiErrorHandler(RiErrorAbort);
            requests(kDiagnostics[2].calls);
        },
        testing::ExitedWithCode(255), "ribout error: undeclared parameter \"notDeclaredHere\"\n");
}

}  // namespace
