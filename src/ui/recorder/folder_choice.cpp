#include "ui/recorder/folder_choice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvane::ui {

namespace {

// The folder's real path where it exists; its clean absolute path where not yet.
QString Resolved(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

}  // namespace

bool IsInFolder(const QString& candidate, const QString& folder) {
    if (candidate.isEmpty() || folder.isEmpty()) return false;
    const QString inner = Resolved(candidate);
    const QString outer = Resolved(folder);
    return inner == outer || inner.startsWith(outer.endsWith('/') ? outer : outer + '/');
}

bool IsInProgramFolder(const QString& candidate) {
    return IsInFolder(candidate, QCoreApplication::applicationDirPath());
}

}  // namespace corvane::ui
