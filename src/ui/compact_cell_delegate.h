#pragma once
// Cells of the narrow tables: the text drawn with a two-pixel margin on one
// line, so the designed column widths hold their figures with a Linux font.

#include <QStyledItemDelegate>

namespace corvane::ui {

class CompactCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace corvane::ui
