#include "ui/scan_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace corvane::ui {

ScanSession::ScanSession(bool& acquiring) : acquiring_(acquiring) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

ScanSession::~ScanSession() {
    acquiring_ = false;
    QApplication::restoreOverrideCursor();
}

// Shared with the scan's thread, which may outlive the scan's caller when left behind.
struct BackgroundScan::State {
    QEventLoop* loop = nullptr;  // touched on the window's thread only
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

ScanOutcome BackgroundScan::run(const std::function<void(double)>& progress) {
    // The scan's end wakes the local loop on the window's thread (a no-op once it has gone).
    daq::ScanWorker worker(scan_, [state = state_] {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [state] {
                    if (state->loop) state->loop->quit();
                },
                Qt::QueuedConnection);
        }
    });
    if (!closing_) serve(worker, progress);

    ScanOutcome outcome;
    if (!worker.Finished()) {
        outcome.closing = true;
        if (!worker.WindUp(stop_, wait_.scanEndMs, wait_.stopMs)) {
            outcome.leftBehind = true;
            return outcome;
        }
    }
    outcome.closing = outcome.closing || closing_;
    try {
        outcome.result = worker.Result();
    } catch (...) {
        if (!outcome.closing) throw;  // a closing program has no use for it
    }
    return outcome;
}

void BackgroundScan::serve(const daq::ScanWorker& worker,
                           const std::function<void(double)>& progress) {
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
    if (!worker.Finished()) loop.exec();
    state_->loop = nullptr;
}

}  // namespace corvane::ui
