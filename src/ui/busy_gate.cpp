#include "ui/busy_gate.h"

#include <utility>

namespace corvane::ui {

bool BusyGate::pass(const std::function<void()>& action) {
    if (busy_) return false;
    {
        struct Open {
            bool& busy;
            ~Open() { busy = false; }
        } open{busy_};
        busy_ = true;
        action();
    }
    if (idle_) std::exchange(idle_, nullptr)();
    return true;
}

void BusyGate::whenIdle(std::function<void()> then) {
    if (!busy_) {
        if (then) then();
        return;
    }
    idle_ = std::move(then);
}

}  // namespace corvane::ui
