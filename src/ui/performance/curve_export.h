#pragma once
// "Save curve…" of the Engine performance window: a dyna's pointwise power
// curve as a CSV file (the same file corvane-batch --curves writes).

#include <QString>
#include <vector>

#include "performance/curve_point.h"

class QWidget;

namespace corvane::ui {

// Writes the curve to `path` whole or not at all; the reason it could not,
// or an empty text.
QString SaveCurveFile(const QString& path, const std::vector<performance::CurvePoint>& curve);

// Asks for a file name and saves the curve there; a failure is shown in a
// message box. Nothing happens when the user cancels.
void SaveCurveAsked(QWidget* parent, const std::vector<performance::CurvePoint>& curve);

}  // namespace corvane::ui
