#pragma once
// The arithmetic every uncertain figure is built with: contributions combined
// into an expanded uncertainty, carried from one figure to another by a
// sensitivity, and the cycle-to-cycle spread of a mean.

#include <vector>

#include "performance/uncertainty.h"

namespace corvane::performance {

// The figure with k x the root sum of squares of its contributions.
UncertainFigure Combine(double value, std::vector<Contribution> contributions);

// The same sources, each scaled by the factor from one figure to another.
std::vector<Contribution> Scaled(const std::vector<Contribution>& from, double factor);

// The cycle-to-cycle scatter of the mean (sd / sqrt(n)): none from a single value.
void AddSpread(std::vector<Contribution>& to, const std::vector<double>& values);

}  // namespace corvane::performance
