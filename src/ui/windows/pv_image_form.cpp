#include "ui/windows/pv_image_form.h"

#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

namespace corvane::ui {

namespace {
constexpr int kSize = analysis::PvPicture::kSize;
}

TpvImageForm::TpvImageForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("pvImageForm"));
    setWindowTitle(QStringLiteral("PV Graph"));
    setGeometry(305, 114, 540, 549);
    // Closing only hides it, and never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    pvImage_ = new QLabel(this);
    pvImage_->setObjectName(QStringLiteral("pvImage"));
    pvImage_->setGeometry(11, 2, kSize, kSize);
    pvImage_->hide();
}

void TpvImageForm::showPicture(const analysis::PvPicture& picture) {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < kSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kSize; ++x) line[x] = picture.at(x, y) ? white : black;
    }
    pvImage_->resize(kSize, kSize);
    pvImage_->setPixmap(QPixmap::fromImage(image));
    pvImage_->raise();
    pvImage_->show();
}

QImage TpvImageForm::picture() const {
    const QPixmap pixmap = pvImage_->pixmap();
    return pixmap.isNull() ? QImage() : pixmap.toImage();
}

void TpvImageForm::toggle() {
    if (isVisible()) {
        close();
    } else {
        show();
    }
}

void TpvImageForm::keyPressEvent(QKeyEvent* event) {
    if (event->text() == QStringLiteral("?")) {
        toggle();
        event->accept();
        return;
    }
    // Any other key does nothing.
    event->accept();
}

}  // namespace corvane::ui
