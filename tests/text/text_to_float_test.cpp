#include <gtest/gtest.h>

#include <string>

#include "text/errors.h"
#include "text/format.h"

namespace corvane::text {
namespace {

TEST(TextToFloat, AcceptsTheToolkitNumberForms) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"1.5", 1.5},  {"  -2.25  ", -2.25}, {"+3e+2", 300}, {"1.", 1},    {".5", 0.5},
        {"7E-1", 0.7}, {"0000", 0},          {"1e-400", 0},  {"-0", -0.0}, {"123456789", 123456789},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToFloat(c.text, PointComma()), c.expected) << c.text;
    }
    EXPECT_EQ(TextToFloat("2,5", NumberFormat{",", "."}), 2.5);
}

TEST(TextToFloat, RejectsEverythingElseWithTheText) {
    const char* bad[] = {"",    "   ", ".",    "-",   "1e",  "1e+", "abc",   "1.2.3", "\t1",
                         "1\t", "1,5", "0x10", "inf", "nan", "1 2", "1e400", "--1",   "1,000"};
    for (const char* text : bad) {
        EXPECT_THROW(TextToFloat(text, PointComma()), ConvertError) << text;
    }
    try {
        TextToFloat("12a", PointComma());
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    EXPECT_THROW(TextToFloat("2.5", NumberFormat{",", "."}), ConvertError);
}

TEST(TextToCount, ConvertsVoltsToTheCount) {
    EXPECT_EQ(TextToCount(" 1.23046875000000E+0000", PointComma()), 2300);
    EXPECT_EQ(TextToCount("-10", PointComma()), 0);
    EXPECT_EQ(TextToCount("0", PointComma()), 2048);
    EXPECT_THROW(TextToCount("", PointComma()), ConvertError);
    EXPECT_THROW(TextToCount("-10.01", PointComma()), RangeError);
    EXPECT_THROW(TextToCount("400", PointComma()), RangeError);
    // A well-formed number beyond the double range is a count out of range,
    // while a cell or monitor value of that size does not convert.
    EXPECT_THROW(TextToCount("1e400", PointComma()), RangeError);
    EXPECT_THROW(TextToCount(" -1E+999 ", PointComma()), RangeError);
    EXPECT_EQ(TextToCount("1e-400", PointComma()), 2048);
    EXPECT_THROW(TextToCount("1e400x", PointComma()), ConvertError);
}

TEST(IsBlank, OnlySpacesAndLineEnds) {
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_TRUE(IsBlank("\r\n\r\n"));
    EXPECT_FALSE(IsBlank("\t"));
    EXPECT_FALSE(IsBlank(" a"));
    EXPECT_FALSE(IsBlank("0"));
}

}  // namespace
}  // namespace corvane::text
