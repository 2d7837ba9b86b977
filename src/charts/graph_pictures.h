#pragma once
// Pictures of graphs as they are on the screen: one graph, or several stacked
// one under another, drawn as PNG (pixels, at the screen's size or a chosen
// resolution), or as SVG and PDF (vector drawings whose text stays text).

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

class QCustomPlot;
class QCPPainter;
class QPrinter;

namespace corvane::charts {

enum class PictureFormat { Png, Svg, Pdf };

// The format a file name asks for by its extension (any letter case).
std::optional<PictureFormat> PictureFormatOf(const QString& path);

// The resolution every picture is drawn at: the screen's, so that text and
// lines keep the proportions they have on the screen.
int ScreenDpi(const QCustomPlot& plot);

// Draws the graph laid out at `size` (pixels at ScreenDpi) into `target` of
// the painter; on a PDF or SVG painter as lines and text.
void DrawGraph(QCPPainter& painter, QCustomPlot& plot, QSize size, const QRectF& target);

// The graphs stacked at their sizes on the screen: the picture's size, and
// its drawing from (0, 0).
QSize StackSize(const std::vector<QCustomPlot*>& plots);
void DrawStack(QCPPainter& painter, const std::vector<QCustomPlot*>& plots);

// The stack as pixels: `dpi` dots per inch, so ScreenDpi gives the size on
// the screen; the image records its resolution. A null image when there is
// no memory for that many pixels.
QImage StackImage(const std::vector<QCustomPlot*>& plots, int dpi);

// The stack in the given format (dpi applies to PNG only). Written whole or
// not at all; throws std::runtime_error naming the file when it cannot be.
void SaveStackPicture(const std::vector<QCustomPlot*>& plots, const QString& path,
                      PictureFormat format, int dpi);

// The stack on a printer's page, as large as fits, keeping its proportions.
void PrintStack(const std::vector<QCustomPlot*>& plots, QPrinter& printer);

}  // namespace corvane::charts
