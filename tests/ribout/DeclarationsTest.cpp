// Parameter declarations: parsing, inline declarations, redeclaration and
// the messages for undeclared tokens.

#include <string>

#include <gtest/gtest.h>

#include <ri.h>
#include "ribout/Declarations.h"
#include "RibCapture.h"

namespace {

using ribcapture::requests;

TEST(Declarations, ParsesClassTypeAndLength)
{
    struct Case {
        const char* text;
        std::uint8_t storageClass;
        std::uint8_t type;
        int length;
        int size;
        const char* canonical;
    };
    const Case cases[] = {
        {"float", kClassUniform, kTypeFloat, 1, 4, "uniform float"},
        {"  varying   color", kClassVarying, kTypeColor, 1, 12, "varying color"},
        {"vertex point", kClassVertex, kTypePoint, 1, 12, "vertex point"},
        {"constant float[3]", kClassConstant, kTypeFloat, 3, 12, "constant float[3]"},
        {"int[2]", kClassUniform, kTypeInteger, 2, 8, "uniform integer[2]"},
        {"integer", kClassUniform, kTypeInteger, 1, 4, "uniform integer"},
        {"string", kClassUniform, kTypeString, 1, 4, "uniform string"},
        {"vertex hpoint", kClassVertex, kTypeHpoint, 1, 16, "vertex hpoint"},
        {"uniform matrix", kClassUniform, kTypeMatrix, 1, 64, "uniform matrix"},
        {"mpoint", kClassUniform, kTypeMpoint, 1, 64, "uniform mpoint"},
        {"normal", kClassUniform, kTypeNormal, 1, 12, "uniform normal"},
        {"vector[2]", kClassUniform, kTypeVector, 2, 24, "uniform vector[2]"},
        {"float[x]", kClassUniform, kTypeFloat, 0, 0, "uniform float"},
        {"float[-2]", kClassUniform, kTypeFloat, -2, -8, "uniform float[]"},
        {"quaternion", kClassUniform, kTypeNone, 1, 0, "uniform "},
    };
    int serial = 0;
    for (const Case& c : cases) {
        const std::string name = "declTest" + std::to_string(serial++);
        RtToken interned = declare(name.c_str(), c.text, nullptr, 0);
        ASSERT_NE(interned, nullptr);
        EXPECT_STREQ(interned, name.c_str());
        const Declaration* d = findDeclaration(name.c_str());
        ASSERT_NE(d, nullptr) << c.text;
        EXPECT_EQ(d->storageClass, c.storageClass) << c.text;
        EXPECT_EQ(d->type, c.type) << c.text;
        EXPECT_EQ(d->arrayLength, c.length) << c.text;
        EXPECT_EQ(declarationSize(name.c_str()), c.size) << c.text;
        EXPECT_EQ(declarationText(*d), c.canonical) << c.text;
        EXPECT_EQ(d->name, interned);
    }
    EXPECT_EQ(declarationSize("neverDeclaredAnywhere"), 0);
}

TEST(Declarations, MeasuresInlinePrefixes)
{
    EXPECT_EQ(inlinePrefixLength("uniform float Kd"), 14);
    EXPECT_EQ(inlinePrefixLength("float[2] st"), 9);
    EXPECT_EQ(inlinePrefixLength("Kd"), 0);
    EXPECT_EQ(inlinePrefixLength("varying color[2]  Cs2"), 18);
    EXPECT_EQ(inlinePrefixLength("floaty"), 0);  // a word must end at a space or bracket
}

TEST(Declarations, InlineDeclarationsNeedNoPriorDeclare)
{
    RtFloat kd = 0.8f;
    RtFloat st[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    RtFloat p[12] = {0};
    EXPECT_EQ(requests([&] {
                  RiSurface("matte", "uniform float Kd", &kd, RI_NULL);
                  RiPolygon(4, "P", p, "varying float[2] st2", st, RI_NULL);
              }),
              "Surface \"matte\" \"uniform float Kd\" [0.8]\n"
              "Polygon \"P\" [0 0 0 0 0 0 0 0 0 0 0 0] \"varying float[2] st2\" [0 0 1 0 1 1 0 1]\n");
    const Declaration* inlineKd = findDeclaration("uniform float Kd");
    ASSERT_NE(inlineKd, nullptr);
    EXPECT_STREQ(inlineKd->name, "Kd");
    EXPECT_STREQ(inlineKd->key, "uniform float Kd");
}

TEST(Declarations, HandlesInlinePrefixesOfSixtyFourCharactersAndMore)
{
    // Long runs of spaces or digits make the prefix longer than any fixed
    // buffer; it must parse exactly as its short spelling does.
    const std::string spaced = "varying" + std::string(70, ' ') + "float vLong";
    const std::string digits = "varying float[" + std::string(80, '0') + "2] stLong";
    ASSERT_GE(inlinePrefixLength(spaced.c_str()), 64);
    ASSERT_GE(inlinePrefixLength(digits.c_str()), 64);
    RtFloat values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    RtFloat p[12] = {0};
    const std::string body = requests([&] {
        RiPolygon(4, spaced.c_str(), values, digits.c_str(), values, "P", p, RI_NULL);
    });
    EXPECT_EQ(body, "Polygon \"" + spaced + "\" [1 2 3 4] \"" + digits +
                        "\" [1 2 3 4 5 6 7 8] \"P\" [0 0 0 0 0 0 0 0 0 0 0 0]\n");
    const Declaration* d = findDeclaration(digits.c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->storageClass, kClassVarying);
    EXPECT_EQ(d->arrayLength, 2);
    EXPECT_STREQ(d->name, "stLong");
}

TEST(Declarations, RedeclarationChangesCountsAndIsEchoed)
{
    RtFloat kd[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    RtFloat p[12] = {0};
    RtFloat triple[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(requests([&] {
                  RiPolygon(4, "P", p, "Kd", kd, RI_NULL);
                  RtToken name = RiDeclare("Kd", "varying float");
                  EXPECT_STREQ(name, "Kd");
                  RiPolygon(4, "P", p, "Kd", kd, RI_NULL);
                  RiDeclare("Kd", "varying float");
                  RiDeclare("trio", "float[3]");
                  RiSurface("s", "trio", triple, RI_NULL);
                  RiDeclare("vtrio", "varying float[3]");
                  RiPolygon(4, "vtrio", triple, RI_NULL);
              }),
              "Polygon \"P\" [0 0 0 0 0 0 0 0 0 0 0 0] \"Kd\" [0.1]\n"
              "Declare \"Kd\" \"varying float\"\n"
              "Polygon \"P\" [0 0 0 0 0 0 0 0 0 0 0 0] \"Kd\" [0.1 0.2 0.3 0.4]\n"
              "Declare \"Kd\" \"varying float\"\n"
              "Declare \"trio\" \"float[3]\"\n"
              "Surface \"s\" \"trio\" [1 2 3]\n"
              "Declare \"vtrio\" \"varying float[3]\"\n"
              "Polygon \"vtrio\" [1 2 3 4 5 6 7 8 9 10 11 12]\n");
    // The next RiBegin restores the default: Kd is a single float again.
    EXPECT_EQ(requests([&] { RiSurface("s", "Kd", kd, RI_NULL); }), "Surface \"s\" \"Kd\" [0.1]\n");
}

TEST(Declarations, ReportsUndeclaredTokensAndSkipsThem)
{
    RtFloat value = 1;
    RtFloat kd = 0.5f;
    testing::internal::CaptureStderr();
    const std::string body = requests([&] {
        RiSurface("plastic", "notDeclaredHere", &value, RI_NULL);
        RiSurface("plastic", "notDeclaredHere", &value, "Kd", &kd, RI_NULL);
        RiDeclare("emptyDecl", "");
        RiSurface("plastic", "emptyDecl", &value, RI_NULL);
        RiSurface("plastic", "blur", &value, RI_NULL);  // interned only, never declared
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ribout error: undeclared parameter \"notDeclaredHere\"\n"
              "ribout error: undeclared parameter \"notDeclaredHere\"\n"
              "ribout error: undeclared parameter \"emptyDecl\"\n"
              "ribout error: undeclared parameter \"blur\"\n");
    EXPECT_EQ(body,
              "Surface \"plastic\"\n"
              "Surface \"plastic\" \"Kd\" [0.5]\n"
              "Declare \"emptyDecl\" \"\"\n"
              "Surface \"plastic\"\n"
              "Surface \"plastic\"\n");
}

TEST(Declarations, WritesEveryValueTypeAndTheDefaultTable)
{
    RtString texture = "ss021.tif";
    RtInt origin[2] = {3, 4};
    RtFloat hpoint[4] = {1, 2, 3, 1};
    RtFloat matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    RtString names[2] = {"a", "b"};
    RtFloat ignored[16] = {0};
    testing::internal::CaptureStderr();
    EXPECT_EQ(requests([&] {
                  RiSurface("paintedplastic", "texturename", &texture, RI_NULL);
                  RiOption("limits", "bucketsize", origin, "pickregion", hpoint, RI_NULL);
                  RiPoints(1, "Pw", hpoint, "_$w", hpoint, RI_NULL);
                  RiAttribute("user", "transform", matrix, "string[2] pair", names,
                              "mpoint m", ignored, "frobnicate q", ignored, "uniform q", ignored,
                              RI_NULL);
              }),
              "Surface \"paintedplastic\" \"texturename\" [\"ss021.tif\"]\n"
              "Option \"limits\" \"bucketsize\" [3 4 ] \"pickregion\" [1 2 3 1]\n"
              "Points  \"Pw\" [1 2 3 1] \"_$w\" [1]\n"
              "Attribute \"user\" \"transform\" [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1] "
              "\"string[2] pair\" [\"a\" \"b\"] \"mpoint m\" [0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0]\n");
    // A value whose size nothing tells is left out, never written bare.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ribout error: undeclared parameter \"frobnicate q\"\n"
              "ribout error: parameter \"uniform q\" has no type, left out\n");
    // Spot checks of the default table, including names that hold spaces.
    struct Default {
        const char* name;
        const char* text;
    };
    const Default defaults[] = {
        {"intensity", "uniform float"},
        {"lightcolor", "uniform color"},
        {"from", "uniform point"},
        {"texturename", "uniform string"},
        {"N", "varying normal"},
        {"P", "vertex point"},
        {"Pw", "vertex hpoint"},
        {"Cs", "varying color"},
        {"st", "varying float[2]"},
        {"constantwidth", "constant float"},
        {"enable gaussian", "uniform integer"},
        {"origin", "uniform integer[2]"},
        {"windowlocation", "uniform integer[2]"},
        {"zblur", "uniform float[6]"},
        {"transform", "uniform matrix"},
        {"newgroup", "uniform integer"},
    };
    for (const Default& d : defaults) {
        const Declaration* found = findDeclaration(d.name);
        ASSERT_NE(found, nullptr) << d.name;
        EXPECT_EQ(declarationText(*found), d.text) << d.name;
    }
    // Token variables hold the interned names after RiBegin.
    requests([] {});
    EXPECT_EQ(RI_P, internString("P"));
    EXPECT_EQ(RI_KD, internString("Kd"));
    EXPECT_EQ(RI_HOMOGENEOUSW, internString("_$w"));
}

}  // namespace
