#include "ui/main_window_texts.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace corvane::ui {

QString ApplicationTitle() {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty()) return QString(kCaption);
    return name.left(1) + name.mid(1).toLower();
}

}  // namespace corvane::ui
