#include "ui/multiple_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace corvane::ui {

namespace {

QString CountText(int number, int files) {
    return QStringLiteral("%1 of %2 files").arg(number).arg(files);
}

}  // namespace

MultipleProgress::MultipleProgress(QWidget* window, int files)
    : dialog_(std::make_unique<QProgressDialog>(window)), files_(files) {
    dialog_->setObjectName(QStringLiteral("multipleProgress"));
    dialog_->setWindowTitle(QStringLiteral("Multiple"));
    dialog_->setCancelButtonText(QStringLiteral("Cancel"));
    // The window stays visible and repaints, but takes no clicks meanwhile.
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, files);
    dialog_->setLabelText(CountText(1, files));  // the first file starts at once
    // Cancel keeps the count in view until the file under way is done (the
    // dialog's own cancel would hide it at once).
    QObject::disconnect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), nullptr);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), [this] {
        cancelled_ = true;
        dialog_->setLabelText(QStringLiteral("Cancelled: stopping after the file under way"));
    });
    dialog_->show();
}

MultipleProgress::~MultipleProgress() = default;

void MultipleProgress::startFile(int number) {
    QCoreApplication::processEvents();  // a click on Cancel during the file before
    if (cancelled()) throw MultipleCancelled();
    dialog_->setLabelText(CountText(number, files_));
    dialog_->setValue(number - 1);
    QCoreApplication::processEvents();
}

}  // namespace corvane::ui
