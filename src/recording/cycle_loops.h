#pragma once
// The loops of a run's most recent cycles, for drawing them live: each
// cycle's cylinder volume and pressure, thinned to what a screen can show,
// kept in a ring of the last N so that memory stays bounded however long
// the run.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::recording {

// Points a loop keeps for drawing: a few per pixel of a loop window.
inline constexpr std::size_t kLoopPointsDrawn = 200;
// Loops the Recorder window shows unless told otherwise.
inline constexpr std::size_t kLastLoops = 10;

struct CycleLoop {
    std::uint64_t cycle = 0;          // the cycle's number in the run, from 0
    double timeS = 0.0;               // the cycle's start, as in cycles.csv
    std::vector<double> volume;       // cylinder volume, mm^3
    std::vector<double> pressureKpa;  // relative to the cycle's mean, kPa
};

// Every point when there are at most `most`, else `most` points evenly
// spread over the cycle, its first one included. `most` must not be 0.
CycleLoop ThinnedLoop(std::span<const double> volume, std::span<const double> pressureKpa,
                      std::size_t most = kLoopPointsDrawn);

class LoopRing {
public:
    // Throws std::invalid_argument for a capacity of 0.
    explicit LoopRing(std::size_t capacity = kLastLoops);

    // Once the ring is full the oldest loop makes room.
    void Add(CycleLoop loop);
    // The loops held, oldest first.
    std::vector<CycleLoop> Loops() const;
    std::size_t Capacity() const { return loops_.size(); }
    // Loops ever added: tells a reader whether anything is new.
    std::uint64_t Added() const { return added_; }

private:
    std::vector<CycleLoop> loops_;  // a ring: slot added_ % capacity is the next
    std::uint64_t added_ = 0;
};

}  // namespace corvane::recording
