#include "performance/uncertainty_terms.h"

#include <cmath>

namespace corvane::performance {

namespace {

double SampleSd(const std::vector<double>& values) {
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(values.size());
    double squares = 0.0;
    for (double v : values) squares += (v - mean) * (v - mean);
    return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

}  // namespace

UncertainFigure Combine(double value, std::vector<Contribution> contributions) {
    double squares = 0.0;
    for (const Contribution& c : contributions) squares += c.standard * c.standard;
    return {value, kCoverageFactor * std::sqrt(squares), std::move(contributions)};
}

std::vector<Contribution> Scaled(const std::vector<Contribution>& from, double factor) {
    std::vector<Contribution> out;
    out.reserve(from.size());
    for (const Contribution& c : from) out.push_back({c.source, std::abs(c.standard * factor)});
    return out;
}

void AddSpread(std::vector<Contribution>& to, const std::vector<double>& values) {
    if (values.size() < 2) return;
    to.push_back(
        {Source::CycleSpread, SampleSd(values) / std::sqrt(static_cast<double>(values.size()))});
}

}  // namespace corvane::performance
