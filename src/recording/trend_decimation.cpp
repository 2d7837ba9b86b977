#include "recording/trend_decimation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane::recording {

namespace {

// Indices [first, last) of the points drawn for [fromT, toT].
std::pair<std::size_t, std::size_t> Range(const std::vector<double>& t, double fromT, double toT) {
    std::size_t first = static_cast<std::size_t>(std::lower_bound(t.begin(), t.end(), fromT) - t.begin());
    std::size_t last = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), toT) - t.begin());
    if (first > 0) --first;
    if (last < t.size()) ++last;
    return {first, last};
}

// First, lowest, highest and last of [from, to), each once, in time order.
void KeepBucket(const std::vector<double>& t, const std::vector<double>& value, std::size_t from,
                std::size_t to, TrendPoints& out) {
    std::size_t low = from, high = from;
    for (std::size_t i = from; i < to; ++i) {
        if (value[i] < value[low]) low = i;
        if (value[i] > value[high]) high = i;
    }
    std::array<std::size_t, 4> keep = {from, low, high, to - 1};
    std::sort(keep.begin(), keep.end());
    for (std::size_t k = 0; k < keep.size(); ++k) {
        if (k > 0 && keep[k] == keep[k - 1]) continue;
        out.t.push_back(t[keep[k]]);
        out.value.push_back(value[keep[k]]);
    }
}

}  // namespace

TrendPoints Decimate(const std::vector<double>& t, const std::vector<double>& value, double fromT,
                     double toT, int buckets) {
    TrendPoints out;
    const std::size_t size = std::min(t.size(), value.size());
    if (size == 0 || toT < fromT) return out;
    auto [first, last] = Range(t, fromT, toT);
    last = std::min(last, size);
    if (first >= last) return out;
    const std::size_t wanted = static_cast<std::size_t>(std::max(buckets, 1));
    if (last - first <= 4 * wanted) {
        out.t.assign(t.begin() + static_cast<long>(first), t.begin() + static_cast<long>(last));
        out.value.assign(value.begin() + static_cast<long>(first), value.begin() + static_cast<long>(last));
        return out;
    }
    const double width = (toT - fromT) / static_cast<double>(wanted);
    std::size_t from = first;
    while (from < last) {
        const double bucketEnd = width > 0 ? fromT + width * (std::floor((t[from] - fromT) / width) + 1) : toT;
        std::size_t to = from + 1;
        while (to < last && t[to] < bucketEnd) ++to;
        KeepBucket(t, value, from, to, out);
        from = to;
    }
    return out;
}

}  // namespace corvane::recording
