#include "ui/scan_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace corvane::ui {

ScanProgress::ScanProgress(QWidget* parent) : QWidget(parent) {
    setObjectName("scanProgress");
    label_ = new QLabel(this);
    label_->setGeometry(0, 0, 105, 14);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setGeometry(0, 16, 105, 8);
    resize(105, 24);
}

void ScanProgress::start(double seconds) {
    seconds_ = seconds;
    bar_->setRange(0, static_cast<int>(seconds * 10));
    bar_->setValue(0);
    label_->setText(QString("Scan: %1 s").arg(seconds, 0, 'f', 0));
    show();
}

void ScanProgress::setElapsed(double elapsed) {
    bar_->setValue(static_cast<int>(std::min(elapsed, seconds_) * 10));
    const int second = std::min(static_cast<int>(elapsed) + 1, static_cast<int>(seconds_));
    label_->setText(QString("Scan: %1 of %2 s").arg(second).arg(seconds_, 0, 'f', 0));
}

}  // namespace corvane::ui
