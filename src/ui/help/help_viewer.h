#pragma once
// The program's help: the HTML user manual shown in a help window of the
// program, opened at a help context number.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace corvane::ui {

// The context of the Help button, F1 and the dynamometer advice: the manual's start.
inline constexpr int kHelpContextStart = 100;
// The engine-performance page: F1 on its button and in its window.
inline constexpr int kHelpContextPerformance = 110;

// The manual's folder: <appDir>/manual, else <appDir>/../share/corvane/manual
// (an installed program), else the source tree's docs/manual (development).
// Empty when none holds the start page.
QString FindManualFolder(const QString& appDir);

// The page of a help context inside the manual folder; unknown contexts lead to
// the start page, and so does a context whose page the manual folder lacks.
QString HelpTopicFile(int context);

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // A window of the program that closes with its parent (the main window).
    explicit HelpViewer(const QString& manualFolder, QWidget* parent = nullptr);

    // Shows the window at the topic of `context` (the start page when that
    // page is missing); false when the manual is missing.
    bool showContext(int context);
    QTextBrowser* browser() const { return browser_; }
    QString manualFolder() const { return manualFolder_; }

private:
    QString manualFolder_;
    QTextBrowser* browser_;
};

}  // namespace corvane::ui
