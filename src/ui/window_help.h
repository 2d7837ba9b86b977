#pragma once
// The main window's help: the user manual beside the program, opened at the
// page of a context, or handed to whoever shows the help instead (tests).

#include <QString>
#include <functional>

class QWidget;

namespace corvane::ui {

class HelpViewer;

class WindowHelp {
public:
    // `showHelp` replaces the manual when given.
    WindowHelp(QWidget* window, std::function<void(int context)> showHelp);

    // Looks for the manual beside the program in `appDir`.
    void findManual(const QString& appDir);
    // Opens the help at the context; throws when the manual is not there.
    void show(int context);
    void close();

private:
    QWidget* window_;
    std::function<void(int context)> showHelp_;
    QString manualFolder_;
    HelpViewer* viewer_ = nullptr;  // a child of the window, made when first asked for
};

}  // namespace corvane::ui
