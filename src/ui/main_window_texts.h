#pragma once
// Texts of the main window shared by its parts.

#include <QString>

namespace corvane::ui {

inline constexpr const char* kCaption = "Corvane Data Logger";

// The application's title, caption of its message boxes: the program file's
// name without extension, every letter after the first in lower case.
QString ApplicationTitle();

}  // namespace corvane::ui
