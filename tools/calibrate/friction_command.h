#pragma once
// corvane-calibrate friction: the friction a + b n from coast-down dynas.

#include <string>
#include <vector>

namespace corvane::calibrate {

// The lines' columns: the fit and the speeds it spans, then the standard
// uncertainties of a and b ([Performance] FrictionAU and FrictionBU).
inline constexpr const char* kFrictionHeader =
    "file,friction_a_mnm,friction_b_mnm_per_krpm,rpm_from,rpm_to,friction_a_u_mnm,"
    "friction_b_u_mnm_per_krpm";

// One CSV line per capture; a capture without a fit gets empty fields and its
// reason on standard error. 0 when every capture gave a fit, 1 otherwise.
int CalibrateFriction(const std::vector<std::string>& captures);

}  // namespace corvane::calibrate
