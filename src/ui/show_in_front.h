#pragma once

#include <QWidget>

namespace corvane::ui {

// An auxiliary window opened by its button or shortcut comes up in front,
// also when it was open already behind another.
inline void ShowInFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace corvane::ui
