#include "ui/recorder/recorder_moment.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace corvane::ui {

namespace {

std::optional<double> NonNegative(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseMoment(const QString& text) {
    const QStringList parts = text.split(':');
    if (parts.size() == 1) return NonNegative(parts[0]);
    if (parts.size() != 2) return std::nullopt;
    bool ok = false;
    const int minutes = parts[0].trimmed().toInt(&ok);
    const std::optional<double> seconds = NonNegative(parts[1]);
    if (!ok || minutes < 0 || !seconds || *seconds >= 60) return std::nullopt;
    return minutes * 60.0 + *seconds;
}

QString MomentName(const QString& runFolder, double seconds) {
    return QFileInfo(runFolder).fileName() + " at " + QString::number(seconds, 'f', 3) + " s";
}

MomentChooser::MomentChooser(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    field_ = new QLineEdit(this);
    field_->setObjectName("MomentField");
    field_->setPlaceholderText("s or m:ss");
    field_->setMaximumWidth(90);
    field_->setToolTip(
        "A second of the recording to analyse as a grab in the main window "
        "(or click on the trends)");
    auto* analyse = new QPushButton("Analyse second", this);
    analyse->setObjectName("AnalyseSecondButton");
    analyse->setAutoDefault(false);
    row->addWidget(new QLabel("Second:", this));
    row->addWidget(field_);
    row->addWidget(analyse);
    connect(field_, &QLineEdit::returnPressed, this, &MomentChooser::choose);
    connect(analyse, &QPushButton::clicked, this, &MomentChooser::choose);
}

void MomentChooser::setMoment(double seconds) { field_->setText(QString::number(seconds, 'f', 3)); }

void MomentChooser::choose() {
    const std::optional<double> seconds = ParseMoment(field_->text());
    if (seconds) {
        emit chosen(*seconds);
    } else {
        emit refused("\"" + field_->text() +
                     "\" is not a moment of the recording "
                     "(seconds, or minutes:seconds, from its start)");
    }
}

}  // namespace corvane::ui
