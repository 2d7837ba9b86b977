#include "ui/performance/copyable_table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace corvane::ui {

namespace {

constexpr int kRowHeight = 20;
constexpr int kMeasuredRows = 100;

// Where each cell keeps its text for the clipboard.
constexpr int kCopiedRole = Qt::UserRole;

// A tab or line break inside a cell would split it into two cells.
QString OneCell(QString text) {
    for (QChar& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

CopyableTable::CopyableTable(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Rows as high as the results table's, the last column to the table's edge.
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    // Columns fit their widest cells; a dyna's hundreds of rows need not all be measured.
    horizontalHeader()->setResizeContentsPrecision(kMeasuredRows);
    copyAction_ = new QAction(QStringLiteral("Copy"), this);
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    copyAction_->setShortcutVisibleInContextMenu(true);
    connect(copyAction_, &QAction::triggered, this, &CopyableTable::copy);
    addAction(copyAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CopyableTable::setContents(const TableText& contents) {
    clearContents();
    setColumnCount(static_cast<int>(contents.headers.size()));
    setHorizontalHeaderLabels(contents.headers);
    setRowCount(static_cast<int>(contents.rows.size()));
    for (std::size_t r = 0; r < contents.rows.size(); ++r) {
        const auto& row = contents.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            auto* item = new QTableWidgetItem(row[c].shown);
            item->setData(kCopiedRole, row[c].copied);
            // Figures line up on their decimal places; words read from the left.
            const QString& copied = row[c].copied;
            if (!copied.isEmpty() && (copied.front().isDigit() || copied.front() == '-')) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    resizeColumnsToContents();
}

QString CopyableTable::tabSeparated() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    int top = 0, bottom = rowCount() - 1, left = 0, right = columnCount() - 1;
    if (!selected.isEmpty()) {
        top = bottom = selected.front().row();
        left = right = selected.front().column();
        for (const QModelIndex& index : selected) {
            top = std::min(top, index.row());
            bottom = std::max(bottom, index.row());
            left = std::min(left, index.column());
            right = std::max(right, index.column());
        }
    }
    QString text;
    const auto addLine = [&text](const QStringList& cells) { text += cells.join('\t') + '\n'; };
    if (selected.isEmpty() || (top == 0 && bottom == rowCount() - 1)) {
        QStringList headings;
        for (int c = left; c <= right; ++c) {
            const QTableWidgetItem* heading = horizontalHeaderItem(c);
            headings << OneCell(heading ? heading->text() : QString());
        }
        addLine(headings);
    }
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c) {
            const QTableWidgetItem* cell = item(r, c);
            const bool chosen = selected.isEmpty() || (cell && cell->isSelected());
            cells << (chosen && cell ? OneCell(cell->data(kCopiedRole).toString()) : QString());
        }
        addLine(cells);
    }
    return text;
}

void CopyableTable::copy() const { QApplication::clipboard()->setText(tabSeparated()); }

void CopyableTable::keyPressEvent(QKeyEvent* event) {
    // The view's own Copy takes the current cell alone.
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace corvane::ui
