#pragma once
// Whether two names name the same file: the same device and inode, with
// symbolic links followed, however the names are spelt. When either file does
// not exist (yet), the names match when they normalise to the same absolute path.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvane::files {

bool SameFile(const std::string& a, const std::string& b);

// The index of the first of `names` that names the same file as `name`.
std::optional<std::size_t> FindSameFile(const std::string& name,
                                        const std::vector<std::string>& names);

}  // namespace corvane::files
