#pragma once
// The one gate of the window's operations on the capture: every user action
// and timer tick that takes, reads, imports or reanalyses a capture passes
// through it, and one that arrives while another runs (its steps let window
// events run) is refused, so a new handler cannot forget the check.

#include <functional>

namespace corvane::ui {

class BusyGate {
public:
    bool busy() const { return busy_; }
    // Runs `action` unless another action runs; returns whether it ran.
    bool pass(const std::function<void()>& action);
    // Runs `then` once the running action has ended, or at once when none
    // runs; a later call replaces one that has not run yet.
    void whenIdle(std::function<void()> then);

private:
    bool busy_ = false;
    std::function<void()> idle_;
};

}  // namespace corvane::ui
