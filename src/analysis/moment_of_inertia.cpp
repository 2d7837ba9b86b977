#include "analysis/moment_of_inertia.h"

#include "text/errors.h"
#include "text/format.h"

namespace corvane::analysis {

namespace {

// The cell's number, or nothing when it does not convert.
bool ReadNumber(const std::string& cell, const text::NumberFormat& fmt, double& value) {
    try {
        value = text::TextToFloat(cell, fmt);
        return true;
    } catch (const ConvertError&) {
        return false;
    }
}

}  // namespace

double DiskMomentOfInertia(const DiskTable& table, int row, const text::NumberFormat& fmt) {
    if (row < 0 || static_cast<std::size_t>(row) >= table.size()) return 0.0;
    const DiskRow& cells = table[static_cast<std::size_t>(row)];
    double result = 0.0;
    if (!text::IsBlank(cells[0]) && !text::IsBlank(cells[1])) {
        double mass = 0.0;
        if (!ReadNumber(cells[0], fmt, mass)) mass = 0.0;  // the row then yields 0
        const double massKg = mass / 1000;
        double diameter = 0.0;
        if (!ReadNumber(cells[1], fmt, diameter)) return 0.0;
        const double diameterM = diameter / 1000;
        const double radius = diameterM / 2;
        // Half the mass in grams times the radius in metres squared: g*m^2.
        result = 1000 * massKg * radius * radius / 2;
    } else if (!text::IsBlank(cells[2])) {
        if (!ReadNumber(cells[2], fmt, result)) result = 0.0;
    }
    return result;
}

double TotalMomentOfInertia(const DiskTable& table, const text::NumberFormat& fmt) {
    double sum = 0.0;
    for (std::size_t row = 0; row < table.size(); ++row) {
        sum = DiskMomentOfInertia(table, static_cast<int>(row), fmt) + sum;
    }
    return sum;
}

}  // namespace corvane::analysis
