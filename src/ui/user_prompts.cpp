#include "ui/user_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/help/error_reporter.h"

namespace corvane::ui {

QString QtFilter(const QString& filter) {
    // "Name|*.EXT" -> "Name (*.EXT *.ext)": Linux file names are case-sensitive,
    // and a capture saved as .csv must still be offered.
    const auto parts = filter.split('|');
    if (parts.size() != 2) return filter;
    const QString pattern = parts[1];
    QString patterns = pattern;
    if (pattern.toLower() != pattern) patterns += " " + pattern.toLower();
    return parts[0] + " (" + patterns + ")";
}

namespace {

QFileDialog* MakeDialog(QWidget* parent, const FileDialogSetup& setup) {
    auto* dialog = new QFileDialog(parent, setup.title, setup.folder, QtFilter(setup.filter));
    dialog->setDefaultSuffix(setup.defaultSuffix);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    return dialog;
}

}  // namespace

std::optional<QString> QtUserPrompts::saveFileName(QWidget* parent, const FileDialogSetup& setup) {
    std::unique_ptr<QFileDialog> dialog(MakeDialog(parent, setup));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !setup.confirmOverwrite);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().first();
}

std::optional<QString> QtUserPrompts::openFileName(QWidget* parent, const FileDialogSetup& setup) {
    std::unique_ptr<QFileDialog> dialog(MakeDialog(parent, setup));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The typed name need not exist: the import reports a missing file itself.
    dialog->setFileMode(QFileDialog::AnyFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().first();
}

std::optional<QStringList> QtUserPrompts::openFileNames(QWidget* parent,
                                                        const FileDialogSetup& setup) {
    std::unique_ptr<QFileDialog> dialog(MakeDialog(parent, setup));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles();
}

void QtUserPrompts::message(QWidget* parent, const QString& caption, const QString& text) {
    // CR LF line breaks of the program's texts show as one line break.
    QString shown = text;
    shown.replace("\r\n", "\n");
    QMessageBox::information(parent, caption, shown, QMessageBox::Ok);
}

bool QtUserPrompts::confirm(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, "Confirm", text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtUserPrompts::reportError(QWidget* parent, const std::exception& error) {
    Q_UNUSED(parent);
    ReportError(QString::fromStdString(error.what()));
}

void QtUserPrompts::beep() { QApplication::beep(); }

std::optional<int> QtUserPrompts::askNumber(QWidget* parent, const QString& title,
                                            const QString& label, int value, int min, int max) {
    bool ok = false;
    const int number = QInputDialog::getInt(parent, title, label, value, min, max, 1, &ok);
    if (!ok) return std::nullopt;
    return number;
}

bool QtUserPrompts::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane::ui
