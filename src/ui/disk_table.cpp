#include "ui/disk_table.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include "text/format.h"
#include "ui/compact_cell_delegate.h"

namespace corvane::ui {

// Cell editor that writes every change straight into the cell, so the table
// always holds what the user sees, and that lets the table see each key first.
class DiskCellDelegate : public CompactCellDelegate {
public:
    explicit DiskCellDelegate(DiskTable* table) : CompactCellDelegate(table), table_(table) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        auto* editor =
            static_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
        auto* self = const_cast<DiskCellDelegate*>(this);
        connect(editor, &QLineEdit::textEdited, self,
                [self, editor] { emit self->commitData(editor); });
        editor->installEventFilter(self);
        self->editor_ = editor;
        self->editorIndex_ = index;
        return editor;
    }

    QLineEdit* editorFor(int row, int col) const {
        if (editor_ && editorIndex_.isValid() && editorIndex_.row() == row &&
            editorIndex_.column() == col)
            return editor_;
        return nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == editor_) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                // Tab keeps the typed text and leaves the table, as it does
                // from a cell without an editor.
                QLineEdit* editor = editor_;
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                table_->focusNextPrevChild(key->key() == Qt::Key_Tab &&
                                           !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
            table_->MOISGKeyPress(key);
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    DiskTable* table_;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex editorIndex_;
};

DiskTable::DiskTable(QWidget* parent) : QTableWidget(1, 3, parent) {
    setObjectName("MOISG");
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(20);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Tab moves on to the next control; the arrows move between the cells.
    setTabKeyNavigation(false);
    delegate_ = new DiskCellDelegate(this);
    setItemDelegate(delegate_);
}

QString DiskTable::cellText(int col, int row) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void DiskTable::setCellText(int col, int row, const QString& text) {
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem();
        setItem(row, col, cell);
    }
    cell->setText(text);
    if (QLineEdit* editor = delegate_->editorFor(row, col)) editor->setText(text);
}

analysis::DiskTable DiskTable::table() const {
    analysis::DiskTable rows;
    for (int row = 0; row < rowCount(); ++row) {
        analysis::DiskRow cells;
        for (int col = 0; col < 3; ++col) cells[col] = cellText(col, row).toStdString();
        rows.push_back(cells);
    }
    return rows;
}

void DiskTable::setTable(const analysis::DiskTable& rows) {
    setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rowCount(); ++row)
        for (int col = 0; col < 3; ++col)
            setCellText(col, row, QString::fromStdString(rows[row][col]));
}

bool DiskTable::TypesCharacter(const QKeyEvent* event) {
    // Delete, arrows and the like type nothing; Tab moves the focus.
    if (event->text().isEmpty()) return false;
    switch (event->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            return true;
    }
}

void DiskTable::MOISGKeyPress(QKeyEvent* event) {
    if (!TypesCharacter(event) || rowCount() == 0) return;
    const int row = currentRow() < 0 ? 0 : currentRow();
    const double value = analysis::DiskMomentOfInertia(table(), row, format_);
    setCellText(2, row, QString::fromStdString(text::FormatAdaptive(value, format_)));
}

void DiskTable::keyPressEvent(QKeyEvent* event) {
    // Without an open editor the table sees the key first; the editor the key
    // may open then receives it (and does not pass it through the filter again).
    if (state() != QAbstractItemView::EditingState) MOISGKeyPress(event);
    QTableWidget::keyPressEvent(event);
}

}  // namespace corvane::ui
