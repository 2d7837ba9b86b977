#pragma once
// SG: the small results table of two columns (label, value) and eight rows.

#include <QTableWidget>
#include <array>
#include <string>

#include "analysis/capture_record.h"
#include "text/number_format.h"

namespace corvane::ui {

class ResultsTable : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 8;
    explicit ResultsTable(QWidget* parent = nullptr);

    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);
    // Copies an analysis' table (indexed [row][col]).
    void setTable(const std::array<std::array<std::string, 2>, 8>& table);
    // The start of every analysis: the first labels, every value empty.
    void startAnalysis();
    // Rows 0 to 2: the engine monitor values of the record (ShowEngineMonitor).
    void setMonitorRows(const analysis::CaptureRecord& record, const text::NumberFormat& fmt);
    // One column's texts, top to bottom.
    std::array<std::string, kRows> column(int col) const;
    // The table as a spreadsheet takes it from the clipboard: one line per
    // row, label TAB value; and the same as an HTML table.
    QString tabSeparated() const;
    QString htmlTable() const;
};

}  // namespace corvane::ui
