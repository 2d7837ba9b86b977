#include "charts/graph_pictures.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <stdexcept>
#include <string>

#include "corvane/version.h"
#include "files/atomic_file.h"
#include "files/file_error.h"

namespace corvane::charts {

namespace {

constexpr double kInchMetres = 0.0254;
constexpr double kPointsPerInch = 72.0;

QString Creator() { return QString::fromStdString(VersionLine("Corvane Data Logger")); }

QByteArray PngBytes(const std::vector<QCustomPlot*>& plots, int dpi) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = StackImage(plots, dpi);
    if (image.isNull())
        throw std::runtime_error("The picture is too large at " + std::to_string(dpi) +
                                 " dots per inch: choose a lower resolution.");
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("The PNG picture could not be made.");
    return bytes;
}

QByteArray SvgBytes(const std::vector<QCustomPlot*>& plots) {
    const QSize size = StackSize(plots);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(ScreenDpi(*plots.front()));
    svg.setTitle(QStringLiteral("Corvane Data Logger graphs"));
    svg.setDescription(Creator());
    QCPPainter painter;
    if (!painter.begin(&svg)) throw std::runtime_error("SVG drawing failed");
    DrawStack(painter, plots);
    painter.end();
    return bytes;
}

QByteArray PdfBytes(const std::vector<QCustomPlot*>& plots) {
    const QSize size = StackSize(plots);
    const int dpi = ScreenDpi(*plots.front());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(dpi);
    pdf.setCreator(Creator());
    pdf.setTitle(QStringLiteral("Corvane Data Logger graphs"));
    // One page exactly the picture's size: pixels at the screen's resolution.
    const QSizeF points = QSizeF(size) * kPointsPerInch / dpi;
    pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QCPPainter painter;
    if (!painter.begin(&pdf)) throw std::runtime_error("PDF drawing failed");
    DrawStack(painter, plots);
    painter.end();
    return bytes;
}

}  // namespace

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "png") return PictureFormat::Png;
    if (suffix == "svg") return PictureFormat::Svg;
    if (suffix == "pdf") return PictureFormat::Pdf;
    return std::nullopt;
}

int ScreenDpi(const QCustomPlot& plot) { return plot.logicalDpiY(); }

void DrawGraph(QCPPainter& painter, QCustomPlot& plot, QSize size, const QRectF& target) {
    if (size.isEmpty() || target.isEmpty()) return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / size.width(), target.height() / size.height());
    painter.setClipRect(QRect(QPoint(0, 0), size));
    const QPaintEngine::Type engine = painter.device()->paintEngine()->type();
    painter.setMode(QCPPainter::pmVectorized,
                    engine == QPaintEngine::Pdf || engine == QPaintEngine::SVG);
    // A white ground: a picture pasted on a coloured slide still shows the graph.
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    plot.toPainter(&painter, size.width(), size.height());
    painter.restore();
}

QSize StackSize(const std::vector<QCustomPlot*>& plots) {
    QSize size(0, 0);
    for (const QCustomPlot* plot : plots) {
        size.setWidth(std::max(size.width(), plot->width()));
        size.setHeight(size.height() + plot->height());
    }
    return size;
}

void DrawStack(QCPPainter& painter, const std::vector<QCustomPlot*>& plots) {
    int top = 0;
    for (QCustomPlot* plot : plots) {
        const QSize size = plot->size();
        DrawGraph(painter, *plot, size, QRectF(QPointF(0, top), QSizeF(size)));
        top += size.height();
    }
}

QImage StackImage(const std::vector<QCustomPlot*>& plots, int dpi) {
    if (plots.empty()) return {};
    const double scale = static_cast<double>(dpi) / ScreenDpi(*plots.front());
    const QSize size = StackSize(plots);
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;  // no memory for that many pixels
    image.fill(Qt::white);
    {
        // Drawn at the image's own (screen) resolution, then scaled: the text
        // grows with the lines.
        QCPPainter painter(&image);
        painter.scale(scale, scale);
        DrawStack(painter, plots);
    }
    const int dotsPerMetre = static_cast<int>(dpi / kInchMetres + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

void SaveStackPicture(const std::vector<QCustomPlot*>& plots, const QString& path,
                      PictureFormat format, int dpi) {
    if (plots.empty()) throw std::runtime_error("No graph is shown: there is nothing to save.");
    QByteArray bytes;
    switch (format) {
        case PictureFormat::Png:
            bytes = PngBytes(plots, dpi);
            break;
        case PictureFormat::Svg:
            bytes = SvgBytes(plots);
            break;
        case PictureFormat::Pdf:
            bytes = PdfBytes(plots);
            break;
    }
    // The layout was made for the picture; the screen gets its own back.
    for (QCustomPlot* plot : plots) plot->replot(QCustomPlot::rpQueuedReplot);
    try {
        files::ReplaceFileContents(path.toStdString(),
                                   std::string_view(bytes.constData(), std::size_t(bytes.size())));
    } catch (const files::FileError& error) {
        throw std::runtime_error(path.toStdString() + ": " + error.what());
    }
}

void PrintStack(const std::vector<QCustomPlot*>& plots, QPrinter& printer) {
    if (plots.empty()) throw std::runtime_error("No graph is shown: there is nothing to print.");
    // Text keeps its proportions to the lines only at the screen's resolution.
    printer.setResolution(ScreenDpi(*plots.front()));
    QCPPainter painter;
    if (!painter.begin(&printer)) throw std::runtime_error("The printer could not be started.");
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QSize size = StackSize(plots);
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.scale(scale, scale);
    DrawStack(painter, plots);
    painter.end();
    for (QCustomPlot* plot : plots) plot->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace corvane::charts
