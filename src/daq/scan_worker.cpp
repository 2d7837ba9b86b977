#include "daq/scan_worker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "daq/board.h"

namespace corvane::daq {

// Shared with the thread, which may outlive the worker when left behind.
struct ScanWorker::State {
    mutable std::mutex mutex;
    mutable std::condition_variable ended;
    bool done = false;
    int result = kNoErrors;
    std::exception_ptr error;
};

ScanWorker::ScanWorker(std::function<int()> scan, std::function<void()> ended)
    : state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_, scan = std::move(scan), ended = std::move(ended)] {
        int result = kNoErrors;
        std::exception_ptr error;
        try {
            result = scan();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(state->mutex);
            state->result = result;
            state->error = error;
            state->done = true;
        }
        state->ended.notify_all();
        if (ended) ended();
    });
}

ScanWorker::~ScanWorker() {
    if (thread_.joinable()) thread_.join();
}

bool ScanWorker::Finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->done;
}

bool ScanWorker::WaitFor(int ms) const {
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(ms),
                                  [this] { return state_->done; });
}

int ScanWorker::Result() {
    if (thread_.joinable()) thread_.join();
    // A scan left behind by WindUp is not joined: its thread may still write.
    std::lock_guard lock(state_->mutex);
    if (state_->error) std::rethrow_exception(state_->error);
    return state_->result;
}

bool ScanWorker::WindUp(const std::function<void()>& stop, int scanEndMs, int stopMs) {
    if (WaitFor(scanEndMs)) return true;
    try {
        if (stop) stop();
    } catch (...) {
        // The board could not be asked; the wait below decides.
    }
    if (WaitFor(stopMs)) return true;
    thread_.detach();
    return false;
}

}  // namespace corvane::daq
