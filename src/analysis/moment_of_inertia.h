#pragma once
// The flywheel disk table: rows of (mass g, diameter mm, moment of inertia g*m^2) texts.

#include <array>
#include <string>
#include <vector>

#include "text/number_format.h"

namespace corvane::analysis {

using DiskRow = std::array<std::string, 3>;
using DiskTable = std::vector<DiskRow>;

// Moment of inertia of one row in g*m^2; bad or missing input gives 0.
double DiskMomentOfInertia(const DiskTable& table, int row, const text::NumberFormat& fmt);
// Sum over all rows, in row order.
double TotalMomentOfInertia(const DiskTable& table, const text::NumberFormat& fmt);

}  // namespace corvane::analysis
