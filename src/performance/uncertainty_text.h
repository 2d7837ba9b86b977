#pragma once
// The uncertain figures in words, as the window and the report show them:
// "249.1 ± 2.6 mW (k = 2)", the uncertainty to two significant digits and the
// value to the same place.

#include <string>
#include <string_view>
#include <vector>

#include "performance/uncertainty.h"
#include "text/number_format.h"

namespace corvane::performance {

// Decimals that give the expanded uncertainty two significant digits; for
// an uncertainty of zero (or not a number), the figure's usual decimals.
int UncertaintyDecimals(double expanded, int usualDecimals);

// "249.1 ± 2.6 mW (k = 2)" in the given number format.
std::string UncertainText(const UncertainFigure& figure, std::string_view unit,
                          int usualDecimals, const text::NumberFormat& format);

struct NamedFigure {
    std::string_view name;  // "Cycle-resolved indicated power"
    std::string_view unit;  // "mW"
    int usualDecimals = 2;
    const UncertainFigure* figure = nullptr;
};

// The figures that have an uncertainty, in the order the window lists them.
std::vector<NamedFigure> UncertainFigures(const PerformanceUncertainty& uncertainty);

}  // namespace corvane::performance
