#pragma once
// The one place where an error that no handler caught reaches the user: its
// message text in a message box, after which the user goes on working.

#include <QApplication>
#include <QString>
#include <functional>

namespace corvane::ui {

// Shows `message` in a message box titled with the application's name, or hands
// it to the hook when one is set.
void ReportError(const QString& message);
// Reports the exception being handled; call only inside a catch block.
void ReportCurrentException();
// The message text of the exception being handled.
QString CurrentExceptionMessage();

// Replaces the message box (tests); returns the hook it replaced. An empty hook
// brings the message box back.
using ErrorReportHook = std::function<void(const QString& message)>;
ErrorReportHook SetErrorReportHook(ErrorReportHook hook);

// An application that catches whatever escapes an event handler, reports it and
// carries on, so no exception ever crosses the event loop.
class CorvaneApplication : public QApplication {
    Q_OBJECT
public:
    CorvaneApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace corvane::ui
