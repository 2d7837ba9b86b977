#pragma once
// Texts of the main window shared by its parts.

#include <QString>

#include "text/number_format.h"

namespace corvane::ui {

inline constexpr const char* kCaption = "Corvane Data Logger";

// The caption while the capture of a file is shown: "Corvane Data Logger (run1.CSV)".
QString CaptionNaming(const QString& fileName);
// The file name such a caption holds; empty for a capture of the board.
QString FileNameInCaption(const QString& caption);

// The application's title, caption of its message boxes: the program file's
// name without extension, every letter after the first in lower case.
QString ApplicationTitle();

// The decimal point and group separator of the user's locale.
text::NumberFormat UserNumberFormat();

}  // namespace corvane::ui
