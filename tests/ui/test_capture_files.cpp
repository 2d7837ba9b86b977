// Export, Import and Multiple on the main window, with a scripted user.

#include <qcustomplot.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include "charts/chart_stack.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/main_window_texts.h"
#include "ui/results_table.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

namespace {

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
}

}  // namespace

class CaptureFilesTest : public QObject {
    Q_OBJECT
private slots:
    void importOfAGrabFillsGraphsTableLogAndPicture();
    void importOfADynaFillsPowerAndDiskTable();
    void refusedImportsSayWhy_data();
    void refusedImportsSayWhy();
    void analysisRangeErrorIsReportedAfterTheDisplay();
    void exportGivesBackTheImportedFile();
    void multipleWritesOneLinePerFile();
    void multipleLeavesAnExistingFileUnlessAllowed();
    void multipleStopsAtAFileThatFails();
    void multipleNeverTradesAnExistingFileForAHeader();
    void multipleRefusesTheSettingsFile();
    void multipleCountsTheFilesAndCancelsAfterTheCurrentOne();
};

void CaptureFilesTest::importOfAGrabFillsGraphsTableLogAndPicture() {
    Harness h;
    h.start();
    const QString path = WriteCapture(h, "run1.CSV", false);
    h.user->openAnswers = {path};
    h.form->ImportButtonClick();
    QVERIFY(h.user->errors.empty());
    QVERIFY(h.user->messages.empty());
    const FileDialogSetup& dialog = h.user->dialogs.at(0);
    QCOMPARE(dialog.title, QString("Select file to be Imported"));
    QCOMPARE(dialog.filter, QString("CSV Files|*.CSV"));
    QCOMPARE(dialog.defaultSuffix, QString("CSV"));
    // The dialogs start in the program's folder.
    QCOMPARE(dialog.folder, QDir(QCoreApplication::applicationDirPath()).absolutePath() + "/");

    QCOMPARE(h.form->windowTitle(), QString("Corvane Data Logger (run1.CSV)"));
    ControlPanel* p = Panel1(*h.form);
    QVERIFY(p->ExportButton->isEnabled());
    QCOMPARE(p->lError->text(), QString());
    QCOMPARE(p->SG->cellText(1, 0), QString("295.3 K"));
    QCOMPARE(p->SG->cellText(0, 3), QString("Press"));
    QVERIFY(p->SG->cellText(1, 4).toDouble() > 400);  // the engine runs at about 500 rpm
    QVERIFY(p->SG->cellText(1, 5).endsWith(" mW"));
    QCOMPARE(p->SG->cellText(1, 6), QString());
    ChartStack* charts = Panel2(*h.form);
    QCOMPARE(charts->seriesPointCount(series::kPressure), 1000);
    QCOMPARE(charts->seriesPointCount(series::kTachometer), 1000);
    QVERIFY(charts->seriesPointCount(series::kHoleMarks) > 100);  // hole marks
    QVERIFY(charts->seriesPointCount(series::kPvPoints) > 50);    // PV points of one cycle
    QVERIFY(charts->seriesPointCount(series::kSpeedPoints) >= 1);
    QVERIFY(
        Form2()->memo1()->toPlainText().startsWith("FlyHoles: num, down, up, mid, width"));
    QVERIFY(!PvImageForm()->picture().isNull());
}

void CaptureFilesTest::importOfADynaFillsPowerAndDiskTable() {
    Harness h;
    h.start();
    const QString path = WriteCapture(h, "accel.CSV", true);
    h.user->openAnswers = {path};
    h.form->ImportButtonClick();
    QVERIFY2(h.user->errors.empty(), h.user->errors.empty() ? "" : qPrintable(h.user->errors[0]));
    ControlPanel* p = Panel1(*h.form);
    QCOMPARE(p->MOISG->cellText(0, 0), QString("100"));
    QCOMPARE(p->MOISG->cellText(1, 0), QString(" 100"));  // the blank after ", " stays
    QVERIFY(!Box(p, "PressureCB")->isChecked() && !Box(p, "PVCB")->isChecked());
    QVERIFY(Box(p, "TachCB")->isChecked() && Box(p, "RPMCB")->isChecked() &&
            Box(p, "PowerCB")->isChecked());
    QVERIFY(p->SG->cellText(1, 6).endsWith(" mw"));
    QVERIFY(p->SG->cellText(1, 7).endsWith(" mNm"));
    QCOMPARE(p->SG->cellText(1, 4), QString());
    QVERIFY(Panel2(*h.form)->seriesPointCount(series::kPower) > 10);
}

void CaptureFilesTest::refusedImportsSayWhy_data() {
    QTest::addColumn<QByteArray>("text");  // empty: no file at all
    QTest::addColumn<QString>("message");  // the wrong-kind box
    QTest::addColumn<QString>("error");    // the error report
    QTest::newRow("letter case") << QByteArray("Grab\r\nx\r\n")
                                 << "Input file is neither \"grab\" nor \"dyna\"!" << QString();
    QTest::newRow("trailing blank")
        << QByteArray("dyna \r\n") << "Input file is neither \"grab\" nor \"dyna\"!" << QString();
    QTest::newRow("missing file") << QByteArray() << QString() << "File not found";
    QTest::newRow("not a number")
        << QByteArray("grab\r\ncaption\r\n 1.0E-0003, 1.0E+0000,abc,295.3,352.8,3.6\r\n")
        << QString() << "'abc' is not a valid floating point value";
}

void CaptureFilesTest::refusedImportsSayWhy() {
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QFETCH(QString, error);
    Harness h;
    h.start();
    const QString path = h.path("bad.CSV");
    if (!text.isEmpty()) WriteText(path, text);
    h.form->record().SampleCount = 1234;
    h.user->openAnswers = {path};
    h.form->ImportButtonClick();
    if (message.isEmpty()) {
        QVERIFY(h.user->messages.empty());
    } else {
        QCOMPARE(static_cast<int>(h.user->messages.size()), 1);
        QCOMPARE(h.user->messages[0].text, message);
        QCOMPARE(h.user->messages[0].caption, ApplicationTitle());
        QVERIFY(!Panel1(*h.form)->ExportButton->isEnabled());  // nothing was prepared
    }
    if (error.isEmpty())
        QVERIFY(h.user->errors.empty());
    else
        QCOMPARE(h.user->errors, std::vector<QString>{error});
    QCOMPARE(h.form->record().SampleCount, 1234);
    QCOMPARE(h.form->windowTitle(), QString("Corvane Data Logger (bad.CSV)"));
}

void CaptureFilesTest::analysisRangeErrorIsReportedAfterTheDisplay() {
    Harness h;
    h.start();
    // 4001 tachometer samples: read in full, but beyond the analysis' 4000.
    QByteArray text = "dyna\r\ncaption\r\n 1.0E-0003, 4.5,295.3,352.8,3.6,,\r\n";
    for (int i = 1; i < 4001; ++i) text += " 1.0E-0003, 4.5\r\n";
    WriteText(h.path("long.CSV"), text);
    h.user->openAnswers = {h.path("long.CSV")};
    h.form->ImportButtonClick();
    QCOMPARE(h.user->errors, std::vector<QString>{"Range check error"});
    QCOMPARE(h.form->record().SampleCount, 4001);
    QCOMPARE(Panel1(*h.form)->SG->cellText(1, 0), QString("295.3 K"));  // shown before it
    QVERIFY(!h.form->busy());

    // A file of the two header lines alone: an empty capture, said so.
    WriteText(h.path("empty.CSV"), "grab\r\ncaption\r\n");
    h.user->openAnswers = {h.path("empty.CSV")};
    h.form->ImportButtonClick();
    QCOMPARE(h.form->record().SampleCount, 0);
    QVERIFY(!Panel1(*h.form)->lError->text().isEmpty());
    QCOMPARE(static_cast<int>(h.user->errors.size()), 1);
}

void CaptureFilesTest::exportGivesBackTheImportedFile() {
    Harness h;
    h.start();
    for (bool dyna : {false, true}) {
        const QString original = WriteCapture(h, dyna ? "in-dyna.CSV" : "in-grab.CSV", dyna);
        const QString copy = h.path(dyna ? "out-dyna.CSV" : "out-grab.CSV");
        h.user->openAnswers = {original};
        h.form->ImportButtonClick();
        h.user->saveAnswers = {copy};
        h.form->ExportButtonClick();
        QVERIFY(h.user->errors.empty());
        if (!dyna) {
            QCOMPARE(ReadAll(copy), ReadAll(original));
            continue;
        }
        // A dyna file's disk texts come back with the blank after ", " (and so
        // gain one per round); every sample comes back unchanged.
        const QList<QByteArray> in = ReadAll(original).split('\n');
        const QList<QByteArray> out = ReadAll(copy).split('\n');
        QCOMPARE(out.size(), in.size());
        for (int i = 0; i < in.size(); ++i) QCOMPARE(out[i].left(48), in[i].left(48));
        QVERIFY(out[2].endsWith(",100,  100\r"));
    }
    const FileDialogSetup& save = h.user->dialogs.at(1);
    QCOMPARE(save.title, QString("Specify Export file name"));
    QCOMPARE(save.filter, QString("CSV File|*.CSV"));
    QVERIFY(save.confirmOverwrite);  // an export never silently replaces a capture
}

void CaptureFilesTest::multipleWritesOneLinePerFile() {
    Harness h;
    h.start();
    const QString grab = WriteCapture(h, "run1.CSV", false);
    const QString dyna = WriteCapture(h, "accel.CSV", true);
    const QString results = h.path("results.CSV");
    h.user->saveAnswers = {results};
    h.user->openManyAnswers = {QStringList{grab, dyna}};
    h.form->MultipleButtonClick();
    QVERIFY(h.user->errors.empty());
    QCOMPARE(h.user->dialogs.at(0).title,
             QString("In what file do you wish to save the multiple results?"));
    QVERIFY(!h.user->dialogs.at(0).confirmOverwrite);
    QCOMPARE(h.user->dialogs.at(1).title, QString("Select multiple files to be evaluated"));
    const QList<QByteArray> lines = ReadAll(results).split('\n');
    QCOMPARE(lines.size(), 4);  // three lines and the end after the last
    QCOMPARE(lines[0], QByteArray("File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque\r"));
    QVERIFY(lines[1].startsWith("run1.CSV, 295.3, 352.8, "));
    QVERIFY(lines[1].endsWith(", , \r"));
    QVERIFY(lines[2].startsWith("accel.CSV, 295.3, 352.8, , , "));
    QCOMPARE(h.user->messages.back().text, "Your results are in " + results);
    QCOMPARE(h.form->windowTitle(), QString("Corvane Data Logger (accel.CSV)"));
}

void CaptureFilesTest::multipleLeavesAnExistingFileUnlessAllowed() {
    Harness h;
    h.start();
    const QString results = h.path("results.CSV");
    WriteText(results, "old");
    h.user->saveAnswers = {results};
    h.user->confirmAnswers = {false};
    h.form->MultipleButtonClick();
    QCOMPARE(h.user->confirmations,
             std::vector<QString>{"Is it OK to write over \"results.CSV\"?"});
    QCOMPARE(static_cast<int>(h.user->dialogs.size()), 1);  // no file selection followed
    QCOMPARE(ReadAll(results), QByteArray("old"));

    // Agreeing, then cancelling the selection, still writes nothing.
    h.user->saveAnswers = {results};
    h.user->confirmAnswers = {true};
    h.form->MultipleButtonClick();
    QCOMPARE(ReadAll(results), QByteArray("old"));
    QVERIFY(h.user->messages.empty());
}

void CaptureFilesTest::multipleStopsAtAFileThatFails() {
    Harness h;
    h.start();
    const QString first = WriteCapture(h, "run1.CSV", false);
    const QString bad = h.path("bad.CSV");
    WriteText(bad, "grab\r\ncaption\r\n 1.0E-0003, 1.0E+0000,abc,295.3,352.8,3.6\r\n");
    const QString never = WriteCapture(h, "run2.CSV", false);
    const QString results = h.path("results.CSV");
    h.user->saveAnswers = {results};
    h.user->openManyAnswers = {QStringList{first, bad, never}};
    h.form->MultipleButtonClick();
    // The user reads the import's own error text, as after a single import, and
    // what the results file holds; the caption names the file, and the closing
    // message is not shown.
    QCOMPARE(h.user->errors, std::vector<QString>{"'abc' is not a valid floating point value"});
    QCOMPARE(static_cast<int>(h.user->messages.size()), 1);
    QCOMPARE(h.user->messages[0].text,
             "The results file " + results +
                 " holds the results of 1 capture file; the batch stopped at bad.CSV.");
    QCOMPARE(h.form->windowTitle(), QString("Corvane Data Logger (bad.CSV)"));
    const QList<QByteArray> lines = ReadAll(results).split('\n');
    QCOMPARE(lines.size(), 3);  // header, run1 and the end after it
    QVERIFY(lines[1].startsWith("run1.CSV, 295.3, 352.8, "));

    // A file of the wrong kind: its own box, and the batch ends there.
    WriteText(bad, "Grab\r\n");
    QFile::remove(results);
    h.user->saveAnswers = {results};
    h.user->openManyAnswers = {QStringList{bad, never}};
    h.user->errors.clear();
    h.user->messages.clear();
    h.form->MultipleButtonClick();
    QVERIFY(h.user->errors.empty());
    QCOMPARE(static_cast<int>(h.user->messages.size()), 2);
    QCOMPARE(h.user->messages[0].text, QString("Input file is neither \"grab\" nor \"dyna\"!"));
    QVERIFY(h.user->messages[1].text.contains("holds the results of 0 capture files"));
    QCOMPARE(ReadAll(results),
             QByteArray("File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque\r\n"));
}

// Agreeing to write over the old results does not lose them to a batch whose
// first file fails: they are replaced only by what was evaluated.
void CaptureFilesTest::multipleNeverTradesAnExistingFileForAHeader() {
    Harness h;
    h.start();
    const QString results = h.path("results.CSV");
    WriteText(results, "last week's results");
    const QString bad = h.path("bad.CSV");
    WriteText(bad, "Grab\r\n");
    h.user->saveAnswers = {results};
    h.user->confirmAnswers = {true};
    h.user->openManyAnswers = {QStringList{bad, WriteCapture(h, "run1.CSV", false)}};
    h.form->MultipleButtonClick();
    QCOMPARE(ReadAll(results), QByteArray("last week's results"));
    QCOMPARE(h.user->messages.back().text,
             "The results file " + results + " was left as it was: no capture file was evaluated.");
}

// The settings file, however named, is never taken for a results file: the
// window would write its settings over the results at quit.
void CaptureFilesTest::multipleRefusesTheSettingsFile() {
    Harness h;
    h.writeSettings("[Main]\r\nTop=10\r\n; the lab's note\r\n");
    h.start();
    const QByteArray before = h.readSettings();
    QVERIFY(QFile::link(h.form->settingsPath(), h.path("results.CSV")));
    for (const QString& results : {h.form->settingsPath(), h.path("results.CSV")}) {
        h.user->saveAnswers = {results};
        h.user->confirmAnswers = {true};
        h.user->openManyAnswers = {QStringList{WriteCapture(h, "run1.CSV", false)}};
        h.user->errors.clear();
        h.form->MultipleButtonClick();
        QCOMPARE(h.user->errors, std::vector<QString>{"The results file \"" + results +
                                                      "\" is also the settings file"});
        QVERIFY(h.user->confirmations.empty());  // refused before anything was asked
        QCOMPARE(h.readSettings(), before);
    }
}

// A long Multiple shows how far it has come; Cancel lets the file under way
// finish and keeps the lines of the files before, as a batch that stops does.
void CaptureFilesTest::multipleCountsTheFilesAndCancelsAfterTheCurrentOne() {
    Harness h;
    h.start();
    QStringList captures;
    for (int i = 1; i <= 5; ++i) captures << WriteCapture(h, QString("run%1.CSV").arg(i), false);
    const QString results = h.path("results.CSV");
    h.user->saveAnswers = {results};
    h.user->openManyAnswers = {captures};
    // The user watches the count while the window goes on serving events, and
    // presses Cancel once the second file is under way.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = h.form->findChild<QProgressDialog*>("multipleProgress");
        if (!dialog || !dialog->isVisible()) return;
        if (seen.isEmpty() || seen.back() != dialog->labelText()) seen << dialog->labelText();
        if (dialog->labelText() == "2 of 5 files") dialog->findChild<QPushButton*>()->click();
    });
    watch.start(0);
    h.form->MultipleButtonClick();
    watch.stop();
    QCOMPARE(seen.mid(0, 3), (QStringList{"1 of 5 files", "2 of 5 files",
                                          "Cancelled: stopping after the file under way"}));
    QVERIFY(h.user->errors.empty());
    QCOMPARE(h.user->messages.back().text,
             "Multiple was cancelled after 2 of 5 files. The results file " + results +
                 " holds the results of 2 capture files; the batch stopped at run3.CSV.");
    const QList<QByteArray> lines = ReadAll(results).split('\n');
    QCOMPARE(lines.size(), 4);  // header, run1, run2 and the end after them
    QVERIFY(lines[2].startsWith("run2.CSV, 295.3, 352.8, "));
    QCOMPARE(h.form->windowTitle(), QString("Corvane Data Logger (run2.CSV)"));
    QVERIFY(!h.form->findChild<QProgressDialog*>("multipleProgress"));
}

QTEST_MAIN(CaptureFilesTest)
#include "test_capture_files.moc"
