#include "ui/compact_cell_delegate.h"

#include <QApplication>
#include <QPainter>

namespace corvane::ui {

void CompactCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    painter->save();
    painter->setClipRect(cell.rect);
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(
        cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(cell.rect.adjusted(2, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

}  // namespace corvane::ui
