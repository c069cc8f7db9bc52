// The RenderMan error printer: texts, folding of repeated reports, the
// handlers and the exit at the severe level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StderrCapture.h"
#include "ribout/ErrorReporting.h"

namespace {

using ::testing::ExitedWithCode;

class ErrorPrinter : public ::testing::Test {
protected:
    void SetUp() override { resetErrorPrinter(); }
    void TearDown() override { resetErrorPrinter(); }
};

TEST_F(ErrorPrinter, PrintsSeverityCodeTextAndMessage)
{
    struct Case {
        RtInt code;
        RtInt severity;
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {RIE_NOMEM, RIE_INFO, "alloc", "INFO: Memory allocation error\n    --> alloc\n"},
        {RIE_NOFILE, RIE_WARNING, nullptr, "WARNING: File not found\n"},
        {RIE_INCAPABLE, RIE_ERROR, "x", "ERROR: Optional RI feature not implemented\n    --> x\n"},
        {RIE_BADSOLID, RIE_WARNING, "s", "WARNING: Bad Solid block\n    --> s\n"},
        {RIE_NOSHADER, RIE_WARNING, "glass", "WARNING: Cannot load requested shader\n    --> glass\n"},
        {RIE_MATH, RIE_INFO, "nan", "INFO: Math error\n    --> nan\n"},
        {99, RIE_WARNING, "odd", "WARNING: code 99\n    --> odd\n"},
        {RIE_NOERROR, RIE_INFO, "note", "INFO: \n    --> note\n"},
        {RIE_SYNTAX, RIE_ERROR, "", "ERROR: Syntax error\n    --> \n"},
    };
    for (const Case& c : cases) {
        resetErrorPrinter();
        StderrCapture capture;
        RiErrorPrint(c.code, c.severity, c.message);
        EXPECT_EQ(c.expected, capture.text()) << "code " << c.code;
        EXPECT_EQ(c.code, RiLastError);
    }
    EXPECT_STREQ("Invalid state for declaring primitives", errorCodeText(RIE_NOTPRIMS));
    EXPECT_STREQ("Required parameters not provided", errorCodeText(RIE_MISSINGDATA));
    EXPECT_EQ(nullptr, errorCodeText(5));
    EXPECT_STREQ("SEVERE ERROR", errorSeverityName(RIE_SEVERE));
}

TEST_F(ErrorPrinter, FoldsIdenticalConsecutiveReports)
{
    StderrCapture capture;
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "width");
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "width");
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "width");
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "height");
    // Reports without a message fold too.
    RiErrorPrint(RIE_BUG, RIE_INFO, nullptr);
    RiErrorPrint(RIE_BUG, RIE_INFO, nullptr);
    RiErrorPrint(RIE_RANGE, RIE_WARNING, "height");
    EXPECT_EQ(
        "WARNING: Parameter out of range\n    --> width\n"
        "    (last message repeated 2 times)\n"
        "WARNING: Parameter out of range\n    --> height\n"
        "INFO: Probable bug in renderer\n"
        "    (last message repeated 1 times)\n"
        "WARNING: Parameter out of range\n    --> height\n",
        capture.text());
}

TEST_F(ErrorPrinter, NeverFoldsInvalidTokenReportsWithAMessage)
{
    StderrCapture capture;
    for (int i = 0; i < 3; ++i) {
        RiErrorPrint(RIE_BADTOKEN, RIE_WARNING, "Kq");
    }
    RiErrorPrint(RIE_BADTOKEN, RIE_WARNING, nullptr);
    RiErrorPrint(RIE_BADTOKEN, RIE_WARNING, nullptr);
    RiErrorPrint(RIE_RANGE, RIE_WARNING, nullptr);
    EXPECT_EQ(
        "WARNING: Invalid token\n    --> Kq\n"
        "WARNING: Invalid token\n    --> Kq\n"
        "WARNING: Invalid token\n    --> Kq\n"
        "WARNING: Invalid token\n"
        "    (last message repeated 1 times)\n"
        "WARNING: Parameter out of range\n",
        capture.text());
}

TEST_F(ErrorPrinter, LongMessagesArePrintedButNotRemembered)
{
    const std::string longest(1022, 'a');
    const std::string tooLong(1023, 'b');
    StderrCapture capture;
    RiErrorPrint(RIE_SYSTEM, RIE_WARNING, tooLong.c_str());
    RiErrorPrint(RIE_SYSTEM, RIE_WARNING, tooLong.c_str());
    RiErrorPrint(RIE_SYSTEM, RIE_WARNING, longest.c_str());
    RiErrorPrint(RIE_SYSTEM, RIE_WARNING, longest.c_str());
    const std::string tooLongReport = "WARNING: System error\n    --> " + tooLong + "\n";
    const std::string longestReport = "WARNING: System error\n    --> " + longest + "\n";
    EXPECT_EQ(tooLongReport + tooLongReport + longestReport, capture.text());
}

TEST_F(ErrorPrinter, IgnoreOnlySetsTheLastErrorThatTheRepeatTestCompares)
{
    StderrCapture capture;
    RiErrorIgnore(RIE_BADFILE, RIE_SEVERE, "quiet");
    EXPECT_EQ(RIE_BADFILE, RiLastError);
    RiErrorPrint(RIE_NESTING, RIE_WARNING, "m");
    RiErrorIgnore(RIE_BADFILE, RIE_WARNING, "m");
    // The same report again is not a repeat: the last error is now another code.
    RiErrorPrint(RIE_NESTING, RIE_WARNING, "m");
    RiErrorPrint(RIE_NESTING, RIE_WARNING, "m");
    EXPECT_EQ(
        "WARNING: Nesting error\n    --> m\n"
        "WARNING: Nesting error\n    --> m\n",
        capture.text());
    EXPECT_EQ(RIE_NESTING, RiLastError);
}

TEST_F(ErrorPrinter, ShowsSourcePositionAndObjectWhenSet)
{
    StderrCapture capture;
    setErrorSourcePosition("scene.rib", 12);
    setErrorObjectName("teapot");
    RiErrorPrint(RIE_SYNTAX, RIE_ERROR, "bracket");
    // The same report at another line is news, not a repeat.
    setErrorSourcePosition("scene.rib", 14);
    RiErrorPrint(RIE_SYNTAX, RIE_ERROR, "bracket");
    setErrorSourcePosition(nullptr, 0);
    setErrorObjectName(nullptr);
    RiErrorPrint(RIE_MATH, RIE_INFO, nullptr);
    EXPECT_EQ(
        "ERROR: scene.rib (12): Syntax error\n    --> bracket\n"
        "\t(error encountered in object \"teapot\")\n"
        "ERROR: scene.rib (14): Syntax error\n    --> bracket\n"
        "\t(error encountered in object \"teapot\")\n"
        "INFO: Math error\n",
        capture.text());
}

TEST_F(ErrorPrinter, ErrorSeverityReturnsFromPrintButEndsAbort)
{
    StderrCapture capture;
    RiErrorPrint(RIE_LIMIT, RIE_ERROR, "print returns");
    RiErrorAbort(RIE_LIMIT, RIE_WARNING, "abort returns below error");
    EXPECT_EQ(
        "ERROR: Program limit\n    --> print returns\n"
        "WARNING: Program limit\n    --> abort returns below error\n",
        capture.text());
}

struct Report {
    RtInt code;
    RtInt severity;
    std::string message;
};
std::vector<Report> handledReports;

void recordReport(RtInt code, RtInt severity, const char* message)
{
    handledReports.push_back({code, severity, message != nullptr ? message : "(none)"});
}

TEST_F(ErrorPrinter, InstalledHandlerTakesTheLibrarysReportsWithOrWithoutARenderer)
{
    RiContext(nullptr);
    handledReports.clear();
    StderrCapture capture;
    // A program's handler returns, so the procedures must go on safely
    // where the printer would have ended the process.
    RiErrorHandler(recordReport);
    RtColor red = {1, 0, 0};
    RiColor(red);
    EXPECT_EQ(RIE_NOTSTARTED, RiLastError);
    RiEnd();
    EXPECT_EQ(RIE_NESTING, RiLastError);
    EXPECT_EQ(nullptr, RiObjectBegin());
    ASSERT_EQ(3u, handledReports.size());
    EXPECT_EQ(RIE_NOTSTARTED, handledReports[0].code);
    EXPECT_EQ(RIE_SEVERE, handledReports[0].severity);
    EXPECT_EQ("RiColor", handledReports[0].message);
    EXPECT_EQ("RiEnd called at inappropriate level", handledReports[1].message);
    EXPECT_EQ("(none)", handledReports[2].message);

    RiErrorHandler(RiErrorIgnore);
    RiMotionBegin(1, 0.0);
    EXPECT_EQ(RIE_NOTSTARTED, RiLastError);
    // Null puts the printer back.
    RiErrorHandler(nullptr);
    EXPECT_EQ(RtErrorHandler(RiErrorPrint), installedErrorHandler());
    EXPECT_EQ("", capture.text());
    EXPECT_EQ(3u, handledReports.size());
}

TEST(ErrorPrinterDeathTest, SevereAndAbortLevelsEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    resetErrorPrinter();
    EXPECT_EXIT(RiErrorAbort(RIE_LIMIT, RIE_ERROR, "RiMotionBegin"), ExitedWithCode(255),
                ::testing::Eq("ERROR: Program limit\n    --> RiMotionBegin\n"));
    EXPECT_EXIT(RiErrorPrint(RIE_NOTSTARTED, RIE_SEVERE, "RiColor"), ExitedWithCode(255),
                ::testing::Eq("SEVERE ERROR: RiBegin not called\n    --> RiColor\n"));
    // A pending repeat count is printed before the severe report.
    EXPECT_EXIT(
        {
            RiErrorPrint(RIE_BUG, RIE_WARNING, "w");
            RiErrorPrint(RIE_BUG, RIE_WARNING, "w");
            RiErrorPrint(RIE_BUG, RIE_SEVERE, "end");
        },
        ExitedWithCode(255),
        ::testing::Eq("WARNING: Probable bug in renderer\n    --> w\n"
                      "    (last message repeated 1 times)\n"
                      "SEVERE ERROR: Probable bug in renderer\n    --> end\n"));
    EXPECT_EXIT(RiErrorAbort(RIE_BUG, 7, nullptr), ExitedWithCode(255),
                ::testing::Eq("SEVERE ERROR: Probable bug in renderer\n"));
}

}  // namespace
