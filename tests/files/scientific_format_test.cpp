#include "files/scientific_format.h"

#include <gtest/gtest.h>

#include "analysis/capture_record.h"

namespace corvane::files {
namespace {

struct ScientificCase {
    long double value;
    const char* text;
};

TEST(FormatScientific, WritesTwentyThreeCharacters) {
    const ScientificCase cases[] = {
        {0.0L, " 0.00000000000000E+0000"},
        {-0.0L, " 0.00000000000000E+0000"},
        {0.001L, " 1.00000000000000E-0003"},
        {1.23046875L, " 1.23046875000000E+0000"},
        {-0.0048828125L, "-4.88281250000000E-0003"},
        {4.4970703125L, " 4.49707031250000E+0000"},
        {309.9951171875L, " 3.09995117187500E+0002"},
        {-10.0L, "-1.00000000000000E+0001"},
        {1e-10L, " 1.00000000000000E-0010"},
        {123456.0L, " 1.23456000000000E+0005"},
        {4000.0L * 0.001L, " 4.00000000000000E+0000"},
        {3.0L * static_cast<long double>(0.00125), " 3.75000000000000E-0003"},
        // Exact ties round away from zero, not to the even digit.
        {1234567890123445.0L, " 1.23456789012345E+0015"},
        {-1234567890123445.0L, "-1.23456789012345E+0015"},
        {1234567890123444.0L, " 1.23456789012344E+0015"},
        // Rounding that carries into a new exponent.
        {999999999999999.5L, " 1.00000000000000E+0015"},
        {0.0999999999999999995L, " 1.00000000000000E-0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatScientific(c.value), c.text) << static_cast<double>(c.value);
        EXPECT_EQ(FormatScientific(c.value).size(), 23u);
    }
}

TEST(FormatScientific, EveryConverterCountReadsBackExactly) {
    // The file must give back the counts it was written from.
    for (int count = 0; count <= 65535; count += 7) {
        const double volts = analysis::CountToVolts(static_cast<std::uint16_t>(count));
        const std::string text = FormatScientific(volts);
        EXPECT_EQ(std::stold(text), static_cast<long double>(volts)) << count;
    }
}

}  // namespace
}  // namespace corvane::files
