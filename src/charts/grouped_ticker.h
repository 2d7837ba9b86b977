#pragma once
// Axis labels in the format "#,##0.###,###": thousands grouped, at least one
// integer digit, up to six decimals with trailing zeros dropped, in the user's
// decimal mark and grouping character.

#include <qcustomplot.h>

#include <QString>

namespace corvane::charts {

QString FormatGroupedLabel(double value, const QLocale& locale);

class GroupedTicker : public QCPAxisTicker {
protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;
};

}  // namespace corvane::charts
