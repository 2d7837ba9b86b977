#pragma once
// How numbers are shown: the decimal mark and the thousands grouping character.
// The window passes the user's locale; files and tools pass point and comma.

#include <string>

namespace corvane::text {

struct NumberFormat {
    std::string decimalMark = ".";
    std::string grouping = ",";  // may be empty (no grouping)
};

// Point and comma: what files, the batch tool and the tests use.
inline NumberFormat PointComma() { return NumberFormat{".", ","}; }
// Point and no grouping: the monitor values written into capture files.
inline NumberFormat PointOnly() { return NumberFormat{".", ""}; }

}  // namespace corvane::text
