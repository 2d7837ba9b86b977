#include "daq/buffer_pool.h"

#include <algorithm>

#include "daq/board_errors.h"

namespace corvane::daq {

BufferHandle BufferPool::Allocate(long count) {
    if (count <= 0 || count > kMaxSamples) return 0;
    const BufferHandle handle = next_++;
    buffers_.emplace(handle, std::vector<std::uint16_t>(static_cast<std::size_t>(count), 0));
    return handle;
}

std::span<std::uint16_t> BufferPool::Find(BufferHandle handle) {
    const auto it = buffers_.find(handle);
    if (it == buffers_.end()) return {};
    return it->second;
}

int BufferPool::Free(BufferHandle handle) {
    return buffers_.erase(handle) == 1 ? kNoErrors : kBadBuffer;
}

int BufferPool::CopyOut(BufferHandle handle, std::uint16_t* array, long firstPoint, long count) {
    const auto samples = Find(handle);
    if (samples.empty() || array == nullptr || firstPoint < 0 || count < 0) return kBadBuffer;
    const auto size = static_cast<long>(samples.size());
    if (firstPoint > size || count > size - firstPoint) return kBadBuffer;
    std::copy_n(samples.begin() + firstPoint, count, array);
    return kNoErrors;
}

}  // namespace corvane::daq
