#include "ui/performance/curve_export.h"

#include <QFileDialog>
#include <QMessageBox>
#include <exception>

#include "files/atomic_file.h"
#include "performance/pointwise_curve.h"

namespace corvane::ui {

QString SaveCurveFile(const QString& path, const std::vector<performance::CurvePoint>& curve) {
    try {
        files::AtomicFile file(path.toStdString());
        file.Write(performance::CurveCsv(curve));
        file.Commit();
    } catch (const std::exception& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

void SaveCurveAsked(QWidget* parent, const std::vector<performance::CurvePoint>& curve) {
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save curve"), QString(), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    const QString error = SaveCurveFile(path, curve);
    if (!error.isEmpty()) {
        QMessageBox::warning(parent, QStringLiteral("Save curve"),
                             QStringLiteral("%1 was not saved: %2").arg(path, error));
    }
}

}  // namespace corvane::ui
