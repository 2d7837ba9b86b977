// The graphs' menu and its commands on the main window: pictures, copies,
// printing and the report of the capture on screen, with a scripted user.

#include <qcustomplot.h>

#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QXmlStreamReader>
#include <QTest>

#include "charts/chart_stack.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/graph_commands.h"
#include "ui/results_table.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

namespace {

// A shown window holding an imported grab.
void StartWithGrab(Harness& h) {
    h.start();
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    h.user->openAnswers = {WriteCapture(h, "run1.CSV", false)};
    h.form->ImportButtonClick();
    QVERIFY(h.user->errors.empty());
}

void Send(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void RightDrag(QWidget* widget, QPoint from, QPoint to) {
    Send(widget, QEvent::MouseButtonPress, from, Qt::RightButton, Qt::RightButton);
    Send(widget, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::RightButton);
    Send(widget, QEvent::MouseMove, to, Qt::NoButton, Qt::RightButton);
    Send(widget, QEvent::MouseButtonRelease, to, Qt::RightButton, Qt::NoButton);
}

QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

// The page's size in points from a PDF's first /MediaBox.
QSizeF MediaBox(const QByteArray& pdf) {
    const int at = pdf.indexOf("/MediaBox [");
    if (at < 0) return {};
    const QList<QByteArray> numbers =
        pdf.mid(at + 11, 60).split(']').front().simplified().split(' ');
    if (numbers.size() != 4) return {};
    return {numbers[2].toDouble() - numbers[0].toDouble(),
            numbers[3].toDouble() - numbers[1].toDouble()};
}

// Page 1 of a PDF as text, without the line of the report's date.
QString PageOneWithoutDate(const QString& pdf) {
    QProcess text;
    text.start(PDFTOTEXT, {"-layout", "-f", "1", "-l", "1", pdf, "-"});
    text.waitForFinished();
    QStringList lines = QString::fromUtf8(text.readAllStandardOutput()).split('\n');
    lines.removeIf([](const QString& line) { return line.contains("report of "); });
    return lines.join('\n');
}

}  // namespace

class GraphCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void rightClickOpensTheMenuRightDragDoesNot();
    void picturesInEachFormat_data();
    void picturesInEachFormat();
    void aPictureNeedsAKnownEnding();
    void copiesForOtherPrograms();
    void printingGoesThroughThePrintDialog();
    void reportOfTheCaptureOnScreen_data();
    void reportOfTheCaptureOnScreen();
    void noReportWithoutACapture();
    void keysReachTheCommands();
    void dialogsRememberTheirFolder();
};

void GraphCommandsTest::rightClickOpensTheMenuRightDragDoesNot() {
    Harness h;
    StartWithGrab(h);
    QCustomPlot* pv = Panel2(*h.form)->chart(kChart3);
    const QPoint centre = pv->axisRect()->rect().center();
    QTest::mouseClick(pv, Qt::RightButton, Qt::NoModifier, centre);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QString("GraphMenu"));
    QStringList entries;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) entries << action->text();
    QCOMPARE(entries,
             QStringList({"Save picture of this graph\u2026", "Save picture of all graphs\u2026",
                          "Copy graph", "Copy results table", "Print graphs\u2026",
                          "Save report\u2026"}));
    menu->close();
    QTRY_VERIFY(!OpenMenu());

    // A drag with the right button scrolls and opens nothing.
    const double before = Panel2(*h.form)->horizontalRange(kChart3).min;
    RightDrag(pv, centre, centre + QPoint(80, 0));
    QVERIFY(!OpenMenu());
    QVERIFY(Panel2(*h.form)->horizontalRange(kChart3).min < before);
}

void GraphCommandsTest::picturesInEachFormat_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("dpi");  // asked for a PNG only
    QTest::addColumn<bool>("stack");
    QTest::newRow("graph PNG, screen size") << "p.png" << 96 << false;
    QTest::newRow("graph PNG, 192 dpi") << "p.PNG" << 192 << false;
    QTest::newRow("graph SVG") << "p.svg" << 0 << false;
    QTest::newRow("graph PDF") << "p.pdf" << 0 << false;
    QTest::newRow("stack PNG, 48 dpi") << "s.png" << 48 << true;
    QTest::newRow("stack SVG") << "s.svg" << 0 << true;
    QTest::newRow("stack PDF") << "s.pdf" << 0 << true;
}

void GraphCommandsTest::picturesInEachFormat() {
    QFETCH(QString, file);
    QFETCH(int, dpi);
    QFETCH(bool, stack);
    Harness h;
    StartWithGrab(h);
    ChartStack* charts = Panel2(*h.form);
    // The grab shows Pressure, Tach and P/V.
    QSize size = charts->chart(kChart2)->size();
    if (stack) size.setHeight(size.height() * 3);
    const QString path = h.path(file);
    h.user->saveAnswers = {path};
    h.user->numberAnswers = {dpi};
    if (stack)
        Commands(*h.form)->saveGraphsPicture();
    else
        Commands(*h.form)->saveGraphPicture(kChart2);
    QVERIFY2(h.user->errors.empty(),
             qPrintable(h.user->errors.empty() ? QString() : h.user->errors.front()));
    QCOMPARE(h.user->dialogs.back().title, QString("Save picture"));
    QCOMPARE(h.user->numberQuestions.size(), std::size_t(dpi > 0 ? 1 : 0));

    const QByteArray bytes = ReadAll(path);
    if (dpi > 0) {
        QImage image;
        QVERIFY(image.loadFromData(bytes, "PNG"));
        QCOMPARE(image.size(), size * dpi / 96);
        QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), dpi);
    } else if (file.endsWith(".svg")) {
        QXmlStreamReader svg(bytes);
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.name(), QString("svg"));
        QCOMPARE(svg.attributes().value("viewBox").toString(),
                 QString("0 0 %1 %2").arg(size.width()).arg(size.height()));
        while (!svg.atEnd()) svg.readNext();
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QVERIFY(bytes.contains("Tachometer"));  // text stays text
    } else {
        QVERIFY(bytes.startsWith("%PDF-"));
        const QSizeF points = MediaBox(bytes);
        QVERIFY(qAbs(points.width() - size.width() * 0.75) < 1);
        QVERIFY(qAbs(points.height() - size.height() * 0.75) < 1);
    }
}

void GraphCommandsTest::aPictureNeedsAKnownEnding() {
    Harness h;
    StartWithGrab(h);
    h.user->saveAnswers = {h.path("graph.jpg")};
    Commands(*h.form)->saveGraphPicture(kChart1);
    QCOMPARE(h.user->messages.size(), std::size_t(1));
    QVERIFY(h.user->messages[0].text.contains(".png, .svg or .pdf"));
    QVERIFY(!QFile::exists(h.path("graph.jpg")));
}

void GraphCommandsTest::copiesForOtherPrograms() {
    Harness h;
    StartWithGrab(h);
    ResultsTable* table = Panel1(*h.form)->SG;
    QString expected;
    for (int row = 0; row < ResultsTable::kRows; ++row)
        expected += table->cellText(0, row) + "\t" + table->cellText(1, row) + "\n";
    QVERIFY(expected.startsWith("Lo Tmp\t295.3 K\nHi Tmp\t352.8 K\nRes Pwr\t3.6 W\nPress\t"));
    QVERIFY(expected.contains("\nInd Pwr\t") && expected.endsWith("Torque\t\n"));

    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    Commands(*h.form)->copyResultsTable();
    QCOMPARE(clipboard->text(), expected);
    QVERIFY(clipboard->mimeData()->html().contains("<td>Lo Tmp</td><td>295.3 K</td>"));

    // Ctrl+C on the table copies it whole, not its current cell.
    clipboard->clear();
    table->setFocus();
    table->setCurrentCell(1, 1);
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), expected);

    Commands(*h.form)->copyGraph(kChart1);
    QCOMPARE(clipboard->image().size(), Panel2(*h.form)->chart(kChart1)->size());
}

void GraphCommandsTest::printingGoesThroughThePrintDialog() {
    Harness h;
    StartWithGrab(h);
    h.user->printAnswers = {"", h.path("printed.pdf")};
    Commands(*h.form)->printGraphs();  // cancelled
    QVERIFY(!QFile::exists(h.path("printed.pdf")));
    Commands(*h.form)->printGraphs();
    QVERIFY(h.user->errors.empty());
    QVERIFY(ReadAll(h.path("printed.pdf")).startsWith("%PDF-"));
}

void GraphCommandsTest::reportOfTheCaptureOnScreen_data() {
    QTest::addColumn<bool>("dyna");
    QTest::newRow("grab") << false;
    QTest::newRow("dyna") << true;
}

// "Save report…" writes what corvane-report writes for the file shown.
void GraphCommandsTest::reportOfTheCaptureOnScreen() {
    QFETCH(bool, dyna);
    Harness h;
    h.start();
    const QString capture = WriteCapture(h, dyna ? "accel.CSV" : "run1.CSV", dyna);
    h.user->openAnswers = {capture};
    h.form->ImportButtonClick();
    const QString path = h.path("window.pdf");
    h.user->saveAnswers = {path};
    Commands(*h.form)->saveReport();
    QVERIFY2(h.user->errors.empty(),
             qPrintable(h.user->errors.empty() ? QString() : h.user->errors.front()));
    QCOMPARE(QFileInfo(h.user->dialogs.back().folder).fileName(),
             dyna ? QString("accel.pdf") : QString("run1.pdf"));

    QProcess tool;
    tool.start(CORVANE_REPORT_TOOL, {"-o", h.path("tool"), capture});
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), 0);
    const QString fromTool = PageOneWithoutDate(h.path(dyna ? "tool/accel.pdf" : "tool/run1.pdf"));
    QVERIFY(fromTool.contains(dyna ? "Maximum power" : "Cycle-resolved indicated power"));
    QCOMPARE(PageOneWithoutDate(path), fromTool);
    // Its results rows are the window's table.
    ResultsTable* table = Panel1(*h.form)->SG;
    for (int row = 0; row < ResultsTable::kRows; ++row) {
        const QString value = table->cellText(1, row);
        if (!value.isEmpty()) QVERIFY2(fromTool.contains(value), qPrintable(value));
    }
}

void GraphCommandsTest::noReportWithoutACapture() {
    Harness h;
    h.start();
    Commands(*h.form)->saveReport();
    QVERIFY(h.user->dialogs.empty());
    QCOMPARE(h.user->messages.size(), std::size_t(1));
    QVERIFY(h.user->messages[0].text.startsWith("There is no capture to report on yet"));
}

void GraphCommandsTest::keysReachTheCommands() {
    Harness h;
    StartWithGrab(h);
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    const std::size_t before = h.user->dialogs.size();
    QTest::keyClick(h.form.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(h.form.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(h.user->dialogs.size(), before + 2);
    QCOMPARE(h.user->dialogs[before].title, QString("Save picture"));
    QCOMPARE(h.user->dialogs[before + 1].title, QString("Save report"));
    h.user->printAnswers = {h.path("keys.pdf")};
    QTest::keyClick(h.form.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(QFile::exists(h.path("keys.pdf")));
}

void GraphCommandsTest::dialogsRememberTheirFolder() {
    Harness h;
    StartWithGrab(h);
    QDir(h.folder.path()).mkdir("pictures");
    h.user->saveAnswers = {h.path("pictures/tach.png")};
    h.user->numberAnswers = {150};
    Commands(*h.form)->saveGraphPicture(kChart2);
    h.user->saveAnswers = {""};
    Commands(*h.form)->saveGraphsPicture();
    QCOMPARE(h.user->dialogs.back().folder, h.path("pictures/Graphs.png"));
    h.form.reset();  // FormDestroy saves the settings
    const QByteArray saved = h.readSettings();
    QVERIFY2(
        saved.endsWith("[Pictures]\r\nFolder=" + h.path("pictures").toUtf8() + "\r\nDpi=150\r\n"),
        saved.constData());

    // The next run starts there, and proposes the resolution chosen last.
    h.start();
    h.user->openAnswers = {h.path("run1.CSV")};
    h.form->ImportButtonClick();
    h.user->saveAnswers = {h.path("again.png")};
    h.user->numberAnswers = {};
    Commands(*h.form)->saveGraphPicture(kChart1);
    QCOMPARE(h.user->dialogs.back().folder, h.path("pictures/Pressure.png"));

    // A run that saved no picture writes none of these sections.
    Harness fresh;
    fresh.start();
    fresh.form.reset();
    QVERIFY(!fresh.readSettings().contains("[Pictures]"));
    QVERIFY(!fresh.readSettings().contains("[Reports]"));
}

QTEST_MAIN(GraphCommandsTest)
#include "test_graph_commands.moc"
