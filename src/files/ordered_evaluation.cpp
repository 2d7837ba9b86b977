#include "files/ordered_evaluation.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace corvane::files {

namespace {

// How far the threads may run ahead of the delivery, per thread.
constexpr std::size_t kAheadPerThread = 32;
// Outcomes the delivery waits for at once: woken for each file, the
// delivering thread would take a core from the evaluations every time.
constexpr std::size_t kDeliveredAtOnce = 16;

class Pool {
public:
    Pool(const std::vector<std::string>& paths, std::size_t threads)
        : paths_(paths), slots_(threads * kAheadPerThread) {}

    ~Pool() { Stop(); }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    void Start(std::vector<EvaluateCapture> evaluations) {
        for (EvaluateCapture& evaluate : evaluations) {
            workers_.emplace_back([this, evaluate = std::move(evaluate)] { Work(evaluate); });
        }
    }

    // The outcome of paths[index], once evaluated; rethrows its evaluation's
    // exception. Indices are taken in turn from 0.
    CaptureOutcome Take(std::size_t index) {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[index % slots_.size()];
        if (!Done(index)) ready_.wait(lock, [&] { return DeliveryReady(); });
        slot.done = false;
        if (slot.error) std::rethrow_exception(slot.error);
        CaptureOutcome outcome = std::move(slot.outcome);
        delivered_ = index + 1;
        room_.notify_all();
        return outcome;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        room_.notify_all();
        for (std::thread& worker : workers_) {
            if (worker.joinable()) worker.join();
        }
    }

private:
    struct Slot {
        std::size_t index = 0;
        bool done = false;
        CaptureOutcome outcome;
        std::exception_ptr error;
    };

    void Work(const EvaluateCapture& evaluate) {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex_);
                // A slot is free once the outcome that held it was delivered.
                room_.wait(lock, [&] {
                    return stopping_ || next_ >= paths_.size() || next_ >= failedAt_ ||
                           next_ < delivered_ + slots_.size();
                });
                if (stopping_ || next_ >= paths_.size() || next_ >= failedAt_) return;
                index = next_++;
            }
            Slot result;
            result.index = index;
            try {
                result.outcome = evaluate(paths_[index]);
            } catch (...) {
                result.error = std::current_exception();
            }
            std::lock_guard lock(mutex_);
            // Files after a failed one are not started: the batch ends there.
            if (result.error) failedAt_ = std::min(failedAt_, index);
            result.done = true;
            slots_[index % slots_.size()] = std::move(result);
            if (DeliveryReady()) ready_.notify_one();
        }
    }

    // Under the lock: whether paths_[index]'s outcome waits in its slot.
    bool Done(std::size_t index) const {
        const Slot& slot = slots_[index % slots_.size()];
        return slot.index == index && slot.done;
    }

    // Under the lock: whether the next outcomes to deliver are all done, as
    // many as are delivered at once, or all up to the end or the failed file.
    bool DeliveryReady() const {
        const std::size_t last = failedAt_ < paths_.size() ? failedAt_ + 1 : paths_.size();
        const std::size_t end = std::min(last, delivered_ + kDeliveredAtOnce);
        for (std::size_t i = delivered_; i < end; ++i) {
            if (!Done(i)) return false;
        }
        return true;
    }

    const std::vector<std::string>& paths_;
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable ready_;  // an outcome was put into its slot
    std::condition_variable room_;   // an outcome was delivered, or stop
    std::size_t next_ = 0;           // the next path to evaluate
    std::size_t delivered_ = 0;      // outcomes delivered so far
    std::size_t failedAt_ = static_cast<std::size_t>(-1);
    bool stopping_ = false;
};

}  // namespace

void EvaluateInOrder(const std::vector<std::string>& paths, int threads, const MakeEvaluation& make,
                     const DeliverOutcome& deliver) {
    const std::size_t workers =
        std::min(static_cast<std::size_t>(std::max(threads, 1)), paths.size());
    if (workers <= 1) {
        if (paths.empty()) return;
        const EvaluateCapture evaluate = make();
        for (std::size_t i = 0; i < paths.size(); ++i) {
            CaptureOutcome outcome = evaluate(paths[i]);
            deliver(i, outcome);
        }
        return;
    }
    std::vector<EvaluateCapture> evaluations;
    for (std::size_t i = 0; i < workers; ++i) evaluations.push_back(make());
    Pool pool(paths, workers);
    pool.Start(std::move(evaluations));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        CaptureOutcome outcome = pool.Take(i);  // rethrows a failed evaluation
        deliver(i, outcome);
    }
}

}  // namespace corvane::files
