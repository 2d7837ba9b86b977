#include "recording/cycle_loops.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::recording {

CycleLoop ThinnedLoop(std::span<const double> volume, std::span<const double> pressureKpa,
                      std::size_t most) {
    if (most == 0) throw std::invalid_argument("a loop needs at least one point");
    const std::size_t points = std::min(volume.size(), pressureKpa.size());
    const std::size_t kept = std::min(points, most);
    CycleLoop loop;
    loop.volume.reserve(kept);
    loop.pressureKpa.reserve(kept);
    for (std::size_t i = 0; i < kept; ++i) {
        // Point i of `kept` lies at the same fraction of the cycle.
        const std::size_t at = i * points / kept;
        loop.volume.push_back(volume[at]);
        loop.pressureKpa.push_back(pressureKpa[at]);
    }
    return loop;
}

LoopRing::LoopRing(std::size_t capacity) : loops_(capacity) {
    if (capacity == 0) throw std::invalid_argument("a ring of loops needs room for one");
}

void LoopRing::Add(CycleLoop loop) {
    loops_[added_ % loops_.size()] = std::move(loop);
    ++added_;
}

std::vector<CycleLoop> LoopRing::Loops() const {
    const std::size_t held =
        static_cast<std::size_t>(std::min<std::uint64_t>(added_, loops_.size()));
    std::vector<CycleLoop> oldestFirst;
    oldestFirst.reserve(held);
    for (std::uint64_t n = added_ - held; n < added_; ++n) {
        oldestFirst.push_back(loops_[n % loops_.size()]);
    }
    return oldestFirst;
}

}  // namespace corvane::recording
