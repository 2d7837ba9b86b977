#include "ui/scan_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <exception>
#include <thread>

namespace corvane::ui {

ScanSession::ScanSession(daq::Board& board, long count, bool& acquiring)
    : board_(board), acquiring_(acquiring), buffer_(board.cbWinBufAlloc(count)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

ScanSession::~ScanSession() {
    acquiring_ = false;
    QApplication::restoreOverrideCursor();
    try {
        board_.cbWinBufFree(buffer_);
    } catch (...) {
        // Freeing is not examined; a destructor must not throw.
    }
}

int RunScanInBackground(const std::function<int()>& scan,
                        const std::function<void(double)>& progress) {
    QEventLoop loop;
    std::atomic<bool> done{false};
    int result = 0;
    std::exception_ptr error;
    QElapsedTimer clock;
    clock.start();

    std::thread worker([&] {
        try {
            result = scan();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });

    QTimer ticker;
    ticker.setInterval(100);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (progress) progress(clock.elapsed() / 1000.0);
    });
    ticker.start();
    // The application's exit also ends local loops: keep waiting for the board.
    while (!done) loop.exec();
    ticker.stop();
    worker.join();
    // The quit request may still be queued for the loop; nothing waits for it.
    QCoreApplication::removePostedEvents(&loop);
    if (error) std::rethrow_exception(error);
    return result;
}

}  // namespace corvane::ui
