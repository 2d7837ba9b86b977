#pragma once
// The batch's details file: one comma-separated line of engine-performance
// figures per capture, beside the results file. Point decimal, no grouping,
// every line ended by CR LF. Digits: rpm to 0.1; work, power, torque, heater
// power and percentages to 0.01. A field with no figure is empty. A file name
// holding a comma, a double quote or a line break is written in double quotes
// with each double quote doubled (RFC 4180). After the fourteen figure columns
// come the expanded uncertainties (k = 2) of the figures that have one, each
// named after its figure's column with "_u" before the unit. Last come a
// grab's friction power, shaft power and mechanical efficiency, when the
// bench's friction is known, and their expanded uncertainties.

#include <string>
#include <string_view>

#include "performance/performance.h"

namespace corvane::performance {

// The header line, CR LF included.
std::string DetailsHeader();

// The header's column names, comma-separated: file, kind and the figures; and
// the expanded uncertainties after them. The one list of the columns.
std::string DetailsFigureColumnNames();
std::string DetailsUncertaintyColumnNames();
// The energy chain's columns and their uncertainties', after all the others.
std::string DetailsEnergyColumnNames();

// The line of one capture, CR LF included. A grab fills the cycle, power and
// efficiency fields, a dyna its mean speed as rpm, heater power, Carnot limit
// and the maximum power with its rpm and torque. A capture the analysis could
// not evaluate (no result, or a status other than Evaluated) gets its file
// name and kind only.
std::string DetailsLine(std::string_view fileName, bool isDyna, const PerformanceResult* result);

// The line of a capture that stopped the batch before any figure was known:
// its file name, its kind as far as it was read ("grab", "dyna" or empty) and
// empty figures, CR LF included.
std::string UnevaluatedDetailsLine(std::string_view fileName, std::string_view kind);

// A text as one CSV field: unchanged, or quoted when it needs to be.
std::string CsvField(std::string_view text);

}  // namespace corvane::performance
