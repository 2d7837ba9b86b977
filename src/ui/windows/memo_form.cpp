#include "ui/windows/memo_form.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace corvane::ui {

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setGeometry(1250, 284, 551, 675);
    setAttribute(Qt::WA_QuitOnClose, false);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(32, 16, 481, 625);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Lines stay whole so the columns of the angle table line up.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setPlainText(QStringLiteral("Memo1"));
    Memo1->installEventFilter(this);
}

void TForm2::setLines(const std::vector<std::string>& lines) {
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) text.append(QString::fromStdString(line));
    // One replacement instead of a line at a time keeps a long log fast.
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
}

void TForm2::appendLine(const QString& line) { Memo1->appendPlainText(line); }

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Escape is swallowed: the memo never sees it, the window closes.
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvane::ui
