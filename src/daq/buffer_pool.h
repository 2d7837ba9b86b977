#pragma once
// Scan buffers handed out by cbWinBufAlloc: host memory owned by the board,
// addressed by handle. Not thread-safe: the owning board locks around it.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "daq/board.h"

namespace corvane::daq {

class BufferPool {
public:
    // 0 when count is not positive or too large to be a scan buffer.
    BufferHandle Allocate(long count);
    // The buffer's samples, or an empty span for an unknown handle.
    std::span<std::uint16_t> Find(BufferHandle handle);
    // kNoErrors, or kBadBuffer for an unknown handle (freeing twice included).
    int Free(BufferHandle handle);
    // Copies count samples from firstPoint into array; kBadBuffer when the
    // handle is unknown, the array is missing or the span lies outside the buffer.
    int CopyOut(BufferHandle handle, std::uint16_t* array, long firstPoint, long count);
    std::size_t LiveBuffers() const { return buffers_.size(); }

    static constexpr long kMaxSamples = 1L << 24;

private:
    std::map<BufferHandle, std::vector<std::uint16_t>> buffers_;
    BufferHandle next_ = 1;
};

}  // namespace corvane::daq
