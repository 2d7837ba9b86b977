#include "ui/main_window_texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

namespace corvane::ui {

QString CaptionNaming(const QString& fileName) { return QString(kCaption) + " (" + fileName + ")"; }

QString FileNameInCaption(const QString& caption) {
    const QString start = QString(kCaption) + " (";
    if (!caption.startsWith(start) || !caption.endsWith(')')) return {};
    return caption.mid(start.size(), caption.size() - start.size() - 1);
}

QString ApplicationTitle() {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty()) return QString(kCaption);
    return name.left(1) + name.mid(1).toLower();
}

text::NumberFormat UserNumberFormat() {
    const QLocale locale;
    return text::NumberFormat{locale.decimalPoint().toStdString(),
                              locale.groupSeparator().toStdString()};
}

}  // namespace corvane::ui
