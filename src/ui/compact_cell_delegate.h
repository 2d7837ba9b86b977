#pragma once
// Cells of the narrow tables: the text drawn with a two-pixel margin on one
// line, so the designed column widths hold their figures with a Linux font. A
// text too wide for its cell is drawn in a smaller font; one that would need
// less than the smallest legible size is cut with an ellipsis and shown whole
// in the cell's tooltip.

#include <QStyledItemDelegate>

namespace corvane::ui {

class CompactCellDelegate : public QStyledItemDelegate {
public:
    static constexpr int kSmallestPixels = 8;
    // Left and right margins of the text inside its cell.
    static constexpr int kLeftMargin = 2;
    static constexpr int kRightMargin = 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The font `text` is drawn in, in a cell `width` pixels wide whose own font is `font`.
    static QFont TextFont(const QFont& font, const QString& text, int width);
    // Whether `text` is drawn whole in such a cell.
    static bool Fits(const QFont& font, const QString& text, int width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

}  // namespace corvane::ui
