#include "ui/scan_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace corvane::ui {

ScanSession::ScanSession(daq::Board& board, long count, bool& acquiring)
    : board_(board), acquiring_(acquiring), buffer_(board.cbWinBufAlloc(count)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

ScanSession::~ScanSession() {
    acquiring_ = false;
    QApplication::restoreOverrideCursor();
    if (keepBuffer_) return;
    try {
        board_.cbWinBufFree(buffer_);
    } catch (...) {
        // Freeing is not examined; a destructor must not throw.
    }
}

// Shared with the worker, which may outlive the scan's caller when left behind.
struct BackgroundScan::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    int result = daq::kNoErrors;
    std::exception_ptr error;
    QEventLoop* loop = nullptr;  // touched on the window's thread only

    bool waitFor(int ms) {
        std::unique_lock lock(mutex);
        return ended.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done; });
    }
    bool finished() {
        std::lock_guard lock(mutex);
        return done;
    }
};

BackgroundScan::BackgroundScan(std::function<int()> scan, std::function<void()> stop,
                               ClosingWait wait)
    : scan_(std::move(scan)),
      stop_(std::move(stop)),
      wait_(wait),
      state_(std::make_shared<State>()) {}

BackgroundScan::~BackgroundScan() = default;

void BackgroundScan::closing() {
    closing_ = true;
    if (state_->loop) state_->loop->quit();
}

void BackgroundScan::Work(std::shared_ptr<State> state, std::function<int()> scan) {
    int result = daq::kNoErrors;
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
    // Wakes the local loop on the window's thread (a no-op once it has gone).
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app,
            [state] {
                if (state->loop) state->loop->quit();
            },
            Qt::QueuedConnection);
    }
}

void BackgroundScan::serveWindow(const std::function<void(double)>& progress) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    ticker.setInterval(100);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (progress) progress(clock.elapsed() / 1000.0);
    });
    ticker.start();
    state_->loop = &loop;
    // Ends when the scan is in, the window closes, or the application quits
    // (which ends every local loop at once, and would again at each exec).
    if (!state_->finished()) loop.exec();
    state_->loop = nullptr;
}

bool BackgroundScan::awaitEndAfterClosing() {
    if (state_->waitFor(wait_.scanEndMs)) return true;
    try {
        if (stop_) stop_();
    } catch (...) {
        // The board could not be asked; the wait below decides.
    }
    return state_->waitFor(wait_.stopMs);
}

ScanOutcome BackgroundScan::run(const std::function<void(double)>& progress) {
    std::thread worker(&BackgroundScan::Work, state_, scan_);
    if (!closing_) serveWindow(progress);

    ScanOutcome outcome;
    if (!state_->finished()) {
        outcome.closing = true;
        if (!awaitEndAfterClosing()) {
            worker.detach();
            outcome.leftBehind = true;
            return outcome;
        }
    }
    worker.join();
    outcome.closing = outcome.closing || closing_;
    if (state_->error && !outcome.closing) std::rethrow_exception(state_->error);
    outcome.result = state_->result;
    return outcome;
}

}  // namespace corvane::ui
