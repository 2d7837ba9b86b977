#pragma once
// The count of a Multiple under way ("2 of 5 files") with a Cancel. Cancel
// lets the file being evaluated finish and stops the batch before the next
// one, so the results file keeps the lines of every file before it, as when
// the batch stops at a file that fails.

#include <memory>
#include <stdexcept>

class QProgressDialog;
class QWidget;

namespace corvane::ui {

// Thrown before the next file once the user cancelled: the batch stops there.
class MultipleCancelled : public std::runtime_error {
public:
    MultipleCancelled() : std::runtime_error("Cancelled") {}
};

class MultipleProgress {
public:
    // Shows the count over `window`, which stays drawn while the files are evaluated.
    MultipleProgress(QWidget* window, int files);
    ~MultipleProgress();
    MultipleProgress(const MultipleProgress&) = delete;
    MultipleProgress& operator=(const MultipleProgress&) = delete;

    // Before file `number` (from 1): throws MultipleCancelled when the user
    // cancelled; otherwise shows "number of N files" and lets the window
    // repaint and take the click on Cancel.
    void startFile(int number);
    bool cancelled() const { return cancelled_; }
    int files() const { return files_; }

private:
    std::unique_ptr<QProgressDialog> dialog_;
    int files_;
    bool cancelled_ = false;
};

}  // namespace corvane::ui
