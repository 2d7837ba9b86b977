#include "charts/hot_engine_picture.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace corvane::charts {

namespace {
// The words sit in the band x 22..364, y 33..66 of the picture.
constexpr int kTextLeft = 22;
constexpr int kTextWidth = 342;
constexpr int kTextTop = 33;
constexpr int kTextHeight = 33;
}  // namespace

QPixmap DrawHotEnginePicture() {
    const QString words = QStringLiteral("Engine Is Too Hot!!!");
    QPixmap picture(kHotEngineWidth, kHotEngineHeight);
    picture.fill(Qt::white);

    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    // The largest pixel size whose words still fit the band, so any installed
    // font gives the same look.
    int pixelSize = 8;
    for (int size = 8; size <= 60; ++size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(words) > kTextWidth || metrics.capHeight() > kTextHeight)
            break;
        pixelSize = size;
    }
    font.setPixelSize(pixelSize);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    const QFontMetrics metrics(font);
    // Capital letters span the band's height, centred in it.
    const int baseline = kTextTop + (kTextHeight + metrics.capHeight()) / 2;
    const int left = kTextLeft + (kTextWidth - metrics.horizontalAdvance(words)) / 2;
    painter.drawText(left, baseline, words);
    return picture;
}

}  // namespace corvane::charts
