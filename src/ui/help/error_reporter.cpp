#include "ui/help/error_reporter.h"

#include <QMessageBox>
#include <exception>
#include <utility>

namespace corvane::ui {

namespace {

ErrorReportHook& Hook() {
    static ErrorReportHook hook;
    return hook;
}

}  // namespace

void ReportError(const QString& message) {
    if (Hook()) {
        Hook()(message);
        return;
    }
    QString title = QApplication::applicationDisplayName();
    if (title.isEmpty()) title = QStringLiteral("Corvane Data Logger");
    QMessageBox::critical(QApplication::activeWindow(), title, message);
}

QString CurrentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("An unexpected error ended the operation.");
    }
}

void ReportCurrentException() { ReportError(CurrentExceptionMessage()); }

ErrorReportHook SetErrorReportHook(ErrorReportHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

CorvaneApplication::CorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CorvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The handler that raised it has ended; the window stays as it left it.
        ReportCurrentException();
        return true;
    }
}

}  // namespace corvane::ui
