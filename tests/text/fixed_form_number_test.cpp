#include "text/fixed_form_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "text/converter_counts.h"
#include "text/format.h"

namespace corvane::text {
namespace {

// The general parser's answer, or nothing where it refuses the text.
std::optional<double> General(const std::string& text) {
    try {
        return GeneralTextToFloat(text, PointOnly());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The capture file's 23-character form: sign blank, 15 digits, a four-digit exponent.
std::string Scientific(double value) {
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.14E", std::fabs(value));  // d.ddddddddddddddE+xx
    const std::string text(digits);
    const int exponent = std::stoi(text.substr(17));
    char out[40];
    std::snprintf(out, sizeof out, "%c%.16sE%c%04d", std::signbit(value) ? '-' : ' ', digits,
                  exponent < 0 ? '-' : '+', std::abs(exponent));
    return out;
}

void ExpectSameAsGeneral(const std::string& text) {
    const std::optional<double> quick = ReadFixedFormNumber(text);
    ASSERT_TRUE(quick.has_value()) << "'" << text << "' is one of our own forms";
    const std::optional<double> general = General(text);
    ASSERT_TRUE(general.has_value()) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*quick), std::bit_cast<std::uint64_t>(*general))
        << "'" << text << "': " << *quick << " against " << *general;
}

TEST(FixedFormNumber, ReadsOurOwnFormsAsTheGeneralParserDoes) {
    for (const char* text :
         {" 1.23046875000000E+0000", "-4.88281250000000E-0003", " 0.00000000000000E+0000",
          "-0.00000000000000E+0000", " 9.99999999999999E+0022", " 1.00000000000000E-0008",
          " 3.14159265358979E-0008", "295.3", "0", "-0", "3.6", "1234.5", "-12.25",
          "0.00000000000001", "999999999999999", "00012.50"}) {
        ExpectSameAsGeneral(text);
    }
}

// Every sample a 12-bit converter gives, and the time column of a dyna, as
// the exporter writes them.
TEST(FixedFormNumber, EveryCountAndTimeTextReadsAsTheGeneralParserReadsIt) {
    for (int c = 0; c < 4096; ++c) {
        const double volts = CountToVolts(static_cast<std::uint16_t>(c));
        ExpectSameAsGeneral(Scientific(volts));
        ASSERT_EQ(TextToCount(Scientific(volts), PointComma()), c);
    }
    for (int k = 1; k <= 4097; ++k) {
        ExpectSameAsGeneral(
            Scientific(static_cast<double>(static_cast<long double>(k) * 0.00125L)));
    }
}

TEST(FixedFormNumber, RandomValuesOfEveryMagnitude) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<int> decimals(0, 6);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const std::string scientific = Scientific(value);
        if (ReadFixedFormNumber(scientific)) {
            ExpectSameAsGeneral(scientific);
        } else {
            // Only exponents beyond what the quick way rounds exactly are left over.
            EXPECT_GT(std::abs(std::stoi(scientific.substr(18))), 8) << scientific;
        }
        char decimal[64];
        std::snprintf(decimal, sizeof decimal, "%.*f", decimals(random), mantissa(random) * 1000);
        ExpectSameAsGeneral(decimal);
    }
}

TEST(FixedFormNumber, LeavesEveryOtherTextToTheGeneralParser) {
    for (const char* text : {"",
                             " ",
                             "-",
                             ".",
                             "5.",
                             ".5",
                             "+5",
                             " 5",
                             "5 ",
                             "1e5",
                             "1E+0000",
                             "1,5",
                             "0x10",
                             "1234567890123456",
                             "1.234567890123456",
                             "--1",
                             "1.2.3",
                             "inf",
                             "nan",
                             " 1.23046875000000E+000",
                             " 1.23046875000000e+0000",
                             "+1.23046875000000E+0000",
                             " 1.2304687500000xE+0000",
                             " 1,23046875000000E+0000",
                             " 1.23046875000000E 0000",
                             " 1.23046875000000E+00x0",
                             " 1.00000000000000E+9999",
                             " 1.00000000000000E-0400"}) {
        EXPECT_FALSE(ReadFixedFormNumber(text).has_value()) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace corvane::text
