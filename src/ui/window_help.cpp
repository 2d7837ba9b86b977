#include "ui/window_help.h"

#include <stdexcept>

#include "ui/help/help_viewer.h"

namespace corvane::ui {

WindowHelp::WindowHelp(QWidget* window, std::function<void(int context)> showHelp)
    : window_(window), showHelp_(std::move(showHelp)) {}

void WindowHelp::findManual(const QString& appDir) { manualFolder_ = FindManualFolder(appDir); }

void WindowHelp::show(int context) {
    if (showHelp_) return showHelp_(context);
    if (!viewer_) viewer_ = new HelpViewer(manualFolder_, window_);
    if (!viewer_->showContext(context))
        throw std::runtime_error("The user manual was not found beside the program.");
}

void WindowHelp::close() {
    if (viewer_) viewer_->close();
}

}  // namespace corvane::ui
