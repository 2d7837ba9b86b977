#pragma once
// Everything the window asks of the user or shows in a box: file dialogs,
// message boxes, the confirmation question, error reports and the beep.
// The window talks to this interface only, so tests can answer for the user.

#include <QString>
#include <QStringList>
#include <exception>
#include <optional>

class QPrinter;
class QWidget;

namespace corvane::ui {

struct FileDialogSetup {
    QString title;
    QString filter;         // e.g. "CSV File|*.CSV"
    QString defaultSuffix;  // without the point, e.g. "CSV"
    QString folder;         // start folder
    bool confirmOverwrite = false;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Cancel gives nothing.
    virtual std::optional<QString> saveFileName(QWidget* parent, const FileDialogSetup& setup) = 0;
    virtual std::optional<QString> openFileName(QWidget* parent, const FileDialogSetup& setup) = 0;
    virtual std::optional<QStringList> openFileNames(QWidget* parent,
                                                     const FileDialogSetup& setup) = 0;
    // A modal box with an OK button.
    virtual void message(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A modal box with Yes and No; true only for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // An error that ended an operation: its message text in a box; the user goes on.
    virtual void reportError(QWidget* parent, const std::exception& error) = 0;
    virtual void beep() = 0;
    // A whole number from min to max, `value` proposed; cancel gives nothing.
    virtual std::optional<int> askNumber(QWidget* parent, const QString& title,
                                         const QString& label, int value, int min, int max) = 0;
    // The print dialog for the printer; true when the user asked to print.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The real dialogs and boxes.
class QtUserPrompts : public UserPrompts {
public:
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogSetup& setup) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogSetup& setup) override;
    std::optional<QStringList> openFileNames(QWidget* parent,
                                             const FileDialogSetup& setup) override;
    void message(QWidget* parent, const QString& caption, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
    void reportError(QWidget* parent, const std::exception& error) override;
    void beep() override;
    std::optional<int> askNumber(QWidget* parent, const QString& title, const QString& label,
                                 int value, int min, int max) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
};

// "CSV File|*.CSV" in the dialog's own filter syntax, matching either letter case.
QString QtFilter(const QString& filter);

}  // namespace corvane::ui
