#pragma once
// SG: the small results table of two columns (label, value) and eight rows.

#include <QTableWidget>
#include <array>
#include <string>

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
};

}  // namespace corvane::ui
