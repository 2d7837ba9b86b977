#pragma once
// corvane-calibrate friction: the friction a + b n from coast-down dynas.

#include <string>
#include <vector>

namespace corvane::calibrate {

// One CSV line per capture (file,friction_a_mnm,friction_b_mnm_per_krpm,
// rpm_from,rpm_to); a capture without a fit gets empty fields and its reason
// on standard error. 0 when every capture gave a fit, 1 otherwise.
int CalibrateFriction(const std::vector<std::string>& captures);

}  // namespace corvane::calibrate
