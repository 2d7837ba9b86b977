#include "charts/grouped_ticker.h"

#include <cmath>

namespace corvane::charts {

QString FormatGroupedLabel(double value, const QLocale& locale) {
    constexpr int kDecimals = 6;
    // Tick values carry binary noise (0.30000000000000004); six decimals drop it.
    QString digits = QString::number(std::fabs(value), 'f', kDecimals);
    const bool negative = value < 0 && digits.count(QLatin1Char('0')) != digits.size() - 1;
    QString integerPart = digits.section(QLatin1Char('.'), 0, 0);
    QString fraction = digits.section(QLatin1Char('.'), 1, 1);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);

    const QString separator = locale.groupSeparator();
    QString grouped;
    const int n = static_cast<int>(integerPart.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += separator;
        grouped += integerPart[i];
    }
    QString text = negative ? QString(locale.negativeSign()) + grouped : grouped;
    if (!fraction.isEmpty()) text += locale.decimalPoint() + fraction;
    return text;
}

QString GroupedTicker::getTickLabel(double tick, const QLocale& locale, QChar, int) {
    return FormatGroupedLabel(tick, locale);
}

}  // namespace corvane::charts
