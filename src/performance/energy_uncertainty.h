#pragma once
// How sure a grab's energy chain is: the friction torque and power at its
// speed, the shaft power and the mechanical and shaft efficiencies, from the
// friction fit's a and b, the flywheel's moment of inertia the coast-down
// rested on, the cycles' spread and the indicated power's own budget.

#include "performance/performance.h"

namespace corvane::performance {

// Fills the chain's figures of `out`, whose indicated power must already be
// assessed; nothing without an energy chain or an indicated power.
void AssessEnergy(const PerformanceResult& result, const UncertaintyBudget& budget,
                  PerformanceUncertainty& out);

}  // namespace corvane::performance
