#include "ui/compact_cell_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace corvane::ui {

namespace {

int TextRoom(int cellWidth) {
    return cellWidth - CompactCellDelegate::kLeftMargin - CompactCellDelegate::kRightMargin;
}

int PixelSize(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

int Advance(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

}  // namespace

QFont CompactCellDelegate::TextFont(const QFont& font, const QString& text, int width) {
    const int room = TextRoom(width);
    QFont fitted = font;
    for (int pixels = PixelSize(font); pixels > kSmallestPixels && Advance(fitted, text) > room;) {
        fitted.setPixelSize(--pixels);
    }
    return fitted;
}

bool CompactCellDelegate::Fits(const QFont& font, const QString& text, int width) {
    return Advance(TextFont(font, text, width), text) <= TextRoom(width);
}

void CompactCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QFont font = TextFont(cell.font, text, cell.rect.width());
    const QRect area = cell.rect.adjusted(kLeftMargin, 0, -kRightMargin, 0);
    painter->save();
    painter->setClipRect(cell.rect);
    painter->setFont(font);
    painter->setPen(cell.palette.color(
        cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, area.width());
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
    painter->restore();
}

bool CompactCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    // Only a text cut short needs its tooltip.
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty() || Fits(option.font, text, option.rect.width())) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    return true;
}

}  // namespace corvane::ui
