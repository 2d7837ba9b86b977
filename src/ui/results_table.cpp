#include "ui/results_table.h"

#include <QHeaderView>

#include "analysis/results_table.h"
#include "ui/compact_cell_delegate.h"

namespace corvane::ui {

ResultsTable::ResultsTable(QWidget* parent) : QTableWidget(kRows, 2, parent) {
    setObjectName("SG");
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves on to the next control, as from every other control of the panel.
    setTabKeyNavigation(false);
    setItemDelegate(new CompactCellDelegate(this));
    horizontalHeader()->setDefaultSectionSize(40);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(20);
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < 2; ++col) setItem(row, col, new QTableWidgetItem());
}

QString ResultsTable::cellText(int col, int row) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void ResultsTable::setCellText(int col, int row, const QString& text) {
    item(row, col)->setText(text);
}

void ResultsTable::setTable(const std::array<std::array<std::string, 2>, 8>& table) {
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < 2; ++col)
            setCellText(col, row, QString::fromStdString(table[row][col]));
}

void ResultsTable::startAnalysis() {
    const auto& labels = analysis::FirstLabels();
    for (int row = 0; row < kRows; ++row) {
        setCellText(0, row, QString::fromStdString(labels[row]));
        setCellText(1, row, "");
    }
}

void ResultsTable::setMonitorRows(const analysis::CaptureRecord& record,
                                  const text::NumberFormat& fmt) {
    const auto rows = analysis::EngineMonitorRows(record, fmt);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        for (int col = 0; col < 2; ++col)
            setCellText(col, row, QString::fromStdString(rows[row][col]));
}

std::array<std::string, ResultsTable::kRows> ResultsTable::column(int col) const {
    std::array<std::string, kRows> texts;
    for (int row = 0; row < kRows; ++row) texts[row] = cellText(col, row).toStdString();
    return texts;
}

QString ResultsTable::tabSeparated() const {
    QString text;
    for (int row = 0; row < kRows; ++row) text += cellText(0, row) + '\t' + cellText(1, row) + '\n';
    return text;
}

QString ResultsTable::htmlTable() const {
    QString html = "<table>";
    for (int row = 0; row < kRows; ++row) {
        html += "<tr><td>" + cellText(0, row).toHtmlEscaped() + "</td><td>" +
                cellText(1, row).toHtmlEscaped() + "</td></tr>";
    }
    return html + "</table>";
}

}  // namespace corvane::ui
