#include "ui/performance/calibration_dialog.h"

#include <qcustomplot.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/decimal_text.h"

namespace corvane::ui {

QString CalibrationFigure(double value, int decimals, const text::NumberFormat& fmt) {
    return QString::fromStdString(text::FixedText(value, decimals, fmt.decimalMark, fmt.grouping));
}

CalibrationDialog::CalibrationDialog(const QString& title, const CalibrationNames& names,
                                     const QString& applyTip, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(names.dialog));
    setWindowTitle(title);
    text_ = new QLabel(this);
    text_->setObjectName(QString::fromLatin1(names.estimate));
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QString::fromLatin1(names.preview));
    plot_->setMinimumSize(420, 300);
    auto* buttons = new QDialogButtonBox(this);
    applyButton_ = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    applyButton_->setObjectName(QString::fromLatin1(names.apply));
    applyButton_->setToolTip(applyTip);
    applyButton_->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QString::fromLatin1(names.cancel));
    connect(applyButton_, &QPushButton::clicked, this, &CalibrationDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(plot_, 1);
    layout->addWidget(buttons);
}

void CalibrationDialog::setEstimate(const QStringList& lines, Apply apply) {
    text_->setText(lines.join('\n'));
    apply_ = std::move(apply);
    applyButton_->setEnabled(static_cast<bool>(apply_));
}

void CalibrationDialog::apply() {
    if (apply_ && apply_()) accept();
}

}  // namespace corvane::ui
