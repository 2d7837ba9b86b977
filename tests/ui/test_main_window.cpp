// The main window's start-up, settings file, keys and graph panels.

#include <qcustomplot.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "as_ordinary_user.h"
#include "charts/chart_stack.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/results_table.h"
#include "ui/window_settings.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpDefaults();
    void settingsAreReadAsStored_data();
    void settingsAreReadAsStored();
    void unusableStoredBoundsGiveTheDesignedWindow_data();
    void unusableStoredBoundsGiveTheDesignedWindow();
    void savingRenumbersDiskRowsAndKeepsOtherSections();
    void failedSaveIsReportedAndTheWindowStillCloses();
    void damagedSettingsAreKeptBeforeTheFirstSave_data();
    void damagedSettingsAreKeptBeforeTheFirstSave();
    void aReadOnlyProgramFolderStillGivesItsSettings();
    void graphHeightsFollowTheClientHeight();
    void zoomOnOneGraphReachesTheOthers();
    void questionMarkTogglesPressureLabelAndPvWindow();
    void helpKeyWorksOnTheListedControlsOnly();
    void tabOrderFollowsTheControlPanel();
    void diskTableLagsOneKeyBehind();
    void altQClosesAndEscapeClosesTheLog();
};

void MainWindowTest::startUpDefaults() {
    Harness h;
    h.start();
    TForm1& form = *h.form;
    QCOMPARE(form.windowTitle(), QString("Corvane Data Logger"));
    QCOMPARE(form.geometry(), QRect(360, 245, 825, 924));
    ControlPanel* p = Panel1(form);
    QVERIFY(Box(p, "PressureCB")->isChecked());
    QVERIFY(Box(p, "TachCB")->isChecked());
    QVERIFY(Box(p, "PVCB")->isChecked());
    QVERIFY(!Box(p, "RPMCB")->isChecked());
    QVERIFY(!Box(p, "PowerCB")->isChecked());
    QVERIFY(Panel2(form)->chartVisible(kChart1) && Panel2(form)->chartVisible(kChart3));
    QVERIFY(!Panel2(form)->chartVisible(kChart4) && !Panel2(form)->chartVisible(kChart5));
    QVERIFY(!p->ExportButton->isEnabled());
    QVERIFY(p->Button1->isHidden());
    QVERIFY(p->lPress->isHidden());
    QCOMPARE(p->MOISG->rowCount(), 5);
    QCOMPARE(p->MOISG->currentRow(), 0);
    QCOMPARE(p->SG->columnWidth(0), 45);
    QCOMPARE(p->SG->columnWidth(1), 55);
    QCOMPARE(p->MOISG->columnWidth(2), 50);
    QCOMPARE(p->lError->text(), QString());
    QCOMPARE(p->lTemps->text(), QString());
    QVERIFY(p->boardValid());
    QVERIFY(!form.acquiring());
    QVERIFY(PvImageForm()->isHidden());
    // The library is set up before anything else touches the board.
    const auto calls = h.scripted().Calls();
    QVERIFY(calls.size() >= 2);
    QCOMPARE(calls[0].name, std::string("cbDeclareRevision"));
    QCOMPARE(static_cast<float>(calls[0].args[0]), 5.72f);
    QCOMPARE(calls[1].name, std::string("cbErrHandling"));
    QCOMPARE(calls[1].args, (std::vector<double>{0, 0}));
    QCOMPARE(static_cast<int>(calls.size()), 2);
}

void MainWindowTest::settingsAreReadAsStored_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<QString>("graphs");  // Pressure, Tach, PV, RPM, Power as 0/1
    QTest::addColumn<QStringList>("row0");
    QTest::addColumn<QStringList>("row1");

    QTest::newRow("missing file") << QByteArray() << QRect(360, 245, 825, 924) << "11100"
                                  << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("hex and bad integers")
        << QByteArray("[Form]\r\nLeft=$10\r\nTop=0x20\r\nHeight=abc\r\nWidth=0X300\r\n")
        << QRect(16, 32, 768, 924) << "11100" << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("only exactly Yes is true; empty is false, missing keeps the default")
        << QByteArray("[Graphs]\r\nPressure=YES\r\nTach=yes\r\nPV=\r\nRPM=Yes\r\n")
        << QRect(360, 245, 825, 924) << "00010" << QStringList{"", "", ""}
        << QStringList{"", "", ""};
    QTest::newRow("Flywheel2 moves to row 0, its MI recomputed")
        << QByteArray("[Flywheel2]\r\nMass=200\r\nDiam=100\r\nMI=99\r\n")
        << QRect(360, 245, 825, 924) << "11100" << QStringList{"200", "100", "0.25"}
        << QStringList{"", "", ""};
    QTest::newRow("MI-only rows keep their text; blank rows give none")
        << QByteArray(
               "[Flywheel1]\r\nMass=200\r\nDiam=  \r\nMI=1.5\r\n"
               "[Flywheel2]\r\nMass=200\r\nDiam=\r\nMI=\r\n"
               "[Flywheel3]\r\nMass=50\r\nDiam=20\r\n")
        << QRect(360, 245, 825, 924) << "11100" << QStringList{"", "", "1.5"}
        << QStringList{"50", "20", "0.0025"};
}

void MainWindowTest::settingsAreReadAsStored() {
    QFETCH(QByteArray, ini);
    QFETCH(QRect, bounds);
    QFETCH(QString, graphs);
    QFETCH(QStringList, row0);
    QFETCH(QStringList, row1);
    Harness h;
    if (!ini.isEmpty()) h.writeSettings(ini);
    h.start();
    ControlPanel* p = Panel1(*h.form);
    QCOMPARE(h.form->geometry(), bounds);
    const QCheckBox* boxes[] = {Box(p, "PressureCB"), Box(p, "TachCB"), Box(p, "PVCB"),
                                Box(p, "RPMCB"), Box(p, "PowerCB")};
    for (int i = 0; i < 5; ++i) QCOMPARE(boxes[i]->isChecked(), graphs[i] == '1');
    for (int i = 0; i < 5; ++i) QCOMPARE(Panel2(*h.form)->chartVisible(i), graphs[i] == '1');
    QCOMPARE(p->MOISG->rowCount(), 5);
    for (int col = 0; col < 3; ++col) {
        QCOMPARE(p->MOISG->cellText(col, 0), row0[col]);
        QCOMPARE(p->MOISG->cellText(col, 1), row1[col]);
    }
}

void MainWindowTest::unusableStoredBoundsGiveTheDesignedWindow_data() {
    // The offscreen platform's one screen is 800 x 600.
    QTest::addColumn<QList<int>>("stored");  // Left, Top, Width, Height as written
    QTest::addColumn<bool>("used");
    QTest::newRow("zero width") << QList<int>{10, 10, 0, 500} << false;
    QTest::newRow("negative height") << QList<int>{10, 10, 700, -40} << false;
    QTest::newRow("huge width") << QList<int>{10, 10, 100000, 500} << false;
    QTest::newRow("huge height") << QList<int>{10, 10, 700, 2147483647} << false;
    QTest::newRow("narrower than the panel") << QList<int>{10, 10, 100, 500} << false;
    QTest::newRow("far to the left") << QList<int>{-32767, 10, 700, 500} << false;
    QTest::newRow("far below") << QList<int>{10, 30000, 700, 500} << false;
    QTest::newRow("only a sliver on screen") << QList<int>{750, 10, 700, 500} << false;
    QTest::newRow("partly off screen but usable") << QList<int>{-300, 200, 700, 500} << true;
    QTest::newRow("on screen") << QList<int>{16, 32, 500, 400} << true;
}

void MainWindowTest::unusableStoredBoundsGiveTheDesignedWindow() {
    QFETCH(QList<int>, stored);
    QFETCH(bool, used);
    const auto formSection = [](int left, int top, int width, int height) {
        return QString("[Form]\r\nLeft=%1\r\nTop=%2\r\nHeight=%3\r\nWidth=%4\r\n")
            .arg(left)
            .arg(top)
            .arg(height)
            .arg(width)
            .toLatin1();
    };
    Harness h;
    h.writeSettings(formSection(stored[0], stored[1], stored[2], stored[3]));
    h.start();
    const QRect shown =
        used ? QRect(stored[0], stored[1], stored[2], stored[3]) : QRect(360, 245, 825, 924);
    QCOMPARE(h.form->geometry(), shown);
    h.form.reset();  // the bounds saved are those shown
    const QByteArray saved = h.readSettings();
    QVERIFY2(saved.contains(formSection(shown.x(), shown.y(), shown.width(), shown.height())),
             saved.constData());
}

void MainWindowTest::savingRenumbersDiskRowsAndKeepsOtherSections() {
    Harness h;
    h.writeSettings("[DAQ]\r\nBoard=simulated\r\n[Flywheel2]\r\nMass=200\r\nDiam=100\r\nMI=99\r\n");
    h.start();
    h.form->setGeometry(100, 120, 800, 700);
    Box(Panel1(*h.form), "RPMCB")->setChecked(true);
    h.form.reset();  // FormDestroy saves
    const QByteArray text = h.readSettings();
    QVERIFY2(text.contains("Board=simulated"), text.constData());
    QVERIFY(text.contains("[Form]\r\nLeft=100\r\nTop=120\r\nHeight=700\r\nWidth=800\r\n"));
    QVERIFY(
        text.contains("[Graphs]\r\nPressure=Yes\r\nTach=Yes\r\nPV=Yes\r\nRPM=Yes\r\nPower=No\r\n"));
    QVERIFY(text.contains("[Flywheel1]\r\nMass=200\r\nDiam=100\r\nMI=0.25\r\n"));
    QVERIFY(text.contains("[Flywheel2]\r\nMass=\r\nDiam=\r\nMI=\r\n"));
    QVERIFY(text.contains("[Flywheel10]\r\nMass=\r\nDiam=\r\nMI=\r\n"));
    QVERIFY(text.indexOf("[Form]") < text.indexOf("[Graphs]"));
    QVERIFY(text.indexOf("[Graphs]") < text.indexOf("[Flywheel1]"));
}

void MainWindowTest::failedSaveIsReportedAndTheWindowStillCloses() {
    Harness h;
    // The settings folder lies under a plain file: nothing can be written there.
    QFile blocker(h.path("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    h.user = std::make_shared<ScriptedUser>();
    auto user = h.user;
    {
        TForm1::Options options;
        options.board = std::make_unique<daq::ScriptedBoard>();
        options.settingsFolder = h.path("blocker/sub");
        options.prompts = user;
        options.armTimers = false;
        TForm1 form(std::move(options));
        form.show();
    }
    QCOMPARE(static_cast<int>(user->errors.size()), 1);
    QVERIFY2(user->errors[0].startsWith("Unable to write to "), qPrintable(user->errors[0]));
    QVERIFY(user->errors[0].endsWith("CorvaneLogger.INI"));
}

void MainWindowTest::damagedSettingsAreKeptBeforeTheFirstSave_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("mass");  // the first disk row's mass as loaded
    const QByteArray head("[Flywheel1]\r\nMass=200\r\nDiam=100\r\n");
    QTest::newRow("NUL bytes of a power cut")
        << head + QByteArray("MI=\0\0\0\0\r\n[Flywheel2]\r\nMass=50\r\nDiam=20\r\n", 40) << true
        << "200";
    QTest::newRow("UTF-16 with its byte order mark")
        << QByteArray("\xFF\xFE[\0F\0l\0y\0w\0h\0e\0e\0l\0001\0]\0\r\0\n\0", 28) << true << "";
    QTest::newRow("invalid UTF-8: 8-bit text, read whole")
        << QByteArray(
               "; Schwungr\xE4"
               "der\r\n[Flywheel1]\r\nMass=200\r\nDiam=100\r\n")
        << false << "200";
    QTest::newRow("a truncated last line that reads whole")
        << QByteArray("[Flywheel1]\r\nMass=200\r\nDiam=10") << false << "200";
    QTest::newRow("a truncated last line that does not") << head + "[Flywhe" << true << "200";
}

// The next save would lose what could not be read: the file as it was is kept
// as CorvaneLogger.INI.bak before anything replaces it, and the user is told once.
void MainWindowTest::damagedSettingsAreKeptBeforeTheFirstSave() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, damaged);
    QFETCH(QString, mass);
    Harness h;
    const QString backup = h.path("CorvaneLogger.INI.bak");
    if (damaged) {
        QFile old(backup);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older backup");
    }
    h.writeSettings(ini);
    h.start();
    QCOMPARE(Panel1(*h.form)->MOISG->cellText(0, 0), mass);
    QCOMPARE(static_cast<int>(h.user->messages.size()), damaged ? 1 : 0);
    auto backupText = [&] {
        QFile file(backup);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    if (damaged) {
        const QString text = h.user->messages[0].text;
        QVERIFY2(text.contains("could not be read whole") && text.contains(backup),
                 qPrintable(text));
        QCOMPARE(backupText(), ini);
    }
    h.form.reset();  // FormDestroy saves
    QVERIFY(h.user->errors.empty());
    QCOMPARE(static_cast<int>(h.user->messages.size()), damaged ? 1 : 0);
    QCOMPARE(backupText(), damaged ? ini : QByteArray("(none)"));
    const QByteArray saved = h.readSettings();
    QVERIFY2(saved.contains("[Form]\r\n"), saved.constData());
    if (!damaged && ini.startsWith(';'))
        QVERIFY(
            saved.startsWith("; Schwungr\xE4"
                             "der\r\n"));
    // The saved file reads whole: the next start says nothing.
    h.start();
    QCOMPARE(static_cast<int>(h.user->messages.size()), damaged ? 1 : 0);
}

// A program folder the user may not write (a system-wide install) still gives
// its settings, the lab's disk table and board, until the user has saved his own.
void MainWindowTest::aReadOnlyProgramFolderStillGivesItsSettings() {
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString config = dir.filePath("config");
    QDir(dir.path()).mkpath("config/corvane");
    QFile::setPermissions(config + "/corvane", QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadOther |
                                                   QFile::WriteOther | QFile::ExeOther);
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const QString userFile = config + "/corvane/CorvaneLogger.INI";

    // A program folder that may be written keeps its file; a missing one reads nothing.
    QCOMPARE(LocateSettings(dir.path()).readPath, dir.filePath("CorvaneLogger.INI"));
    QCOMPARE(LocateSettings(dir.path()).savePath, dir.filePath("CorvaneLogger.INI"));
    QCOMPARE(LocateSettings(dir.filePath("none")).readPath, userFile);

    QDir(dir.path()).mkdir("program");
    const QString program = dir.filePath("program");
    QFile preset(program + "/CorvaneLogger.INI");
    QVERIFY(preset.open(QIODevice::WriteOnly));
    preset.write("[DAQ]\r\nBoard=uldaq\r\n");
    preset.close();
    QFile::setPermissions(program,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    // 0: as expected; 1: another place.
    const auto locatesAs = [&](const QString& read) {
        return testing::OutcomeAsOrdinaryUser([&] {
            const SettingsLocation at = LocateSettings(program);
            return at.readPath == read && at.savePath == userFile ? 0 : 1;
        });
    };
    QCOMPARE(locatesAs(program + "/CorvaneLogger.INI"), 0);
    QFile own(userFile);
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();
    QCOMPARE(locatesAs(userFile), 0);  // once saved, the user's own file counts
    qputenv("XDG_CONFIG_HOME", saved);
}

void MainWindowTest::graphHeightsFollowTheClientHeight() {
    Harness h;
    h.start();
    TForm1& form = *h.form;
    ControlPanel* p = Panel1(form);
    ChartStack* charts = Panel2(form);
    form.setGeometry(360, 245, 825, 890);
    for (QCheckBox* box : {Box(p, "RPMCB"), Box(p, "PowerCB")}) box->setChecked(true);
    for (int i = kChart1; i <= kChart4; ++i) QCOMPARE(charts->chartHeight(i), 178);
    QCOMPARE(charts->chart(kChart5)->height(), 176);

    for (QCheckBox* box : {Box(p, "PVCB"), Box(p, "RPMCB"), Box(p, "PowerCB")})
        box->setChecked(false);
    QCOMPARE(charts->chartHeight(kChart1), 445);
    QCOMPARE(charts->chartHeight(kChart2), 445);

    Box(p, "PressureCB")->setChecked(false);
    QCOMPARE(charts->chartHeight(kChart2), 890);
    Box(p, "TachCB")->setChecked(false);  // nothing left to show: the heights stay
    for (int i = kChart1; i < kChartCount; ++i) {
        QVERIFY(!charts->chartVisible(i));
        QCOMPARE(charts->chartHeight(i), 890);
    }
}

void MainWindowTest::zoomOnOneGraphReachesTheOthers() {
    Harness h;
    h.start();
    ChartStack* charts = Panel2(*h.form);
    charts->chart(kChart2)->xAxis->setRange(200, 400);
    emit charts->scrolled(kChart2);
    for (int i = kChart1; i < kChartCount; ++i) {
        if (i == kChart2) continue;
        QCOMPARE(charts->chart(i)->xAxis->range().lower, 200.0);
        QCOMPARE(charts->chart(i)->xAxis->range().upper, 400.0);
        QVERIFY(!charts->horizontalAutomatic(i));
    }
    // A range wholly below zero reaches the others as well.
    charts->chart(kChart4)->xAxis->setRange(-300, -100);
    emit charts->scrolled(kChart4);
    QCOMPARE(charts->chart(kChart1)->xAxis->range().lower, -300.0);
    QCOMPARE(charts->chart(kChart5)->xAxis->range().upper, -100.0);

    emit charts->undoZoomRequested(kChart3);
    for (int i = kChart1; i < kChartCount; ++i) QVERIFY(charts->horizontalAutomatic(i));
}

void MainWindowTest::questionMarkTogglesPressureLabelAndPvWindow() {
    Harness h;
    h.start();
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    ControlPanel* p = Panel1(*h.form);
    p->GrabButton->setFocus();
    QTest::keyClick(p->GrabButton, '?');
    QVERIFY(p->lPress->isVisible());
    QVERIFY(PvImageForm()->isVisible());
    QApplication::setActiveWindow(h.form.get());
    p->GrabButton->setFocus();
    QTest::keyClick(p->GrabButton, '?');
    QVERIFY(!p->lPress->isVisible());
    QVERIFY(!PvImageForm()->isVisible());
    // A graph box does not answer "?".
    Box(p, "TachCB")->setFocus();
    QTest::keyClick(Box(p, "TachCB"), '?');
    QVERIFY(!p->lPress->isVisible());

    // The label's own state toggles, whether or not the window is on screen.
    h.form->hide();
    h.form->FormKeyPress();
    QVERIFY(!p->lPress->isHidden());
    h.form->FormKeyPress();
    QVERIFY(p->lPress->isHidden());
    PvImageForm()->hide();
}

void MainWindowTest::helpKeyWorksOnTheListedControlsOnly() {
    Harness h;
    h.start();
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    ControlPanel* p = Panel1(*h.form);
    const QList<QWidget*> answering{
        p->GrabButton,  p->DynaButton,   p->ExportButton,  p->ImportButton,      p->HelpButton,
        p->QuitButton,  p->SG,           p->MOISG,         Box(p, "PressureCB"), Box(p, "TachCB"),
        Box(p, "PVCB"), Box(p, "RPMCB"), Box(p, "PowerCB")};
    p->ExportButton->setEnabled(true);  // a disabled button cannot hold the focus
    for (QWidget* control : answering) {
        h.helpContexts.clear();
        control->setFocus();
        QVERIFY2(control->hasFocus(), qPrintable(control->objectName()));
        QTest::keyClick(control, Qt::Key_F1);
        QCOMPARE(h.helpContexts, std::vector<int>{100});
    }
    for (QWidget* control :
         {static_cast<QWidget*>(p->ContinuousCB), static_cast<QWidget*>(p->MultipleButton)}) {
        h.helpContexts.clear();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        QVERIFY2(h.helpContexts.empty(), qPrintable(control->objectName()));
    }
    // The disk table also while one of its cells is being edited.
    p->MOISG->setFocus();
    p->MOISG->setCurrentCell(0, 0);
    p->MOISG->editItem(p->MOISG->item(0, 0));
    QVERIFY(QApplication::focusWidget() != p->MOISG);
    h.helpContexts.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QCOMPARE(h.helpContexts, std::vector<int>{100});
    // The window itself, with no control focused.
    h.helpContexts.clear();
    QApplication::focusWidget()->clearFocus();
    QTest::keyClick(h.form.get(), Qt::Key_F1);
    QCOMPARE(h.helpContexts, std::vector<int>{100});
}

void MainWindowTest::tabOrderFollowsTheControlPanel() {
    Harness h;
    h.start();
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    ControlPanel* p = Panel1(*h.form);
    p->ExportButton->setEnabled(true);
    const QList<QWidget*> order{p->GrabButton,
                                p->ContinuousCB,
                                p->DynaButton,
                                p->ExportButton,
                                p->ImportButton,
                                p->QuitButton,
                                p->SG,
                                Box(p, "PressureCB"),
                                Box(p, "TachCB"),
                                Box(p, "PVCB"),
                                Box(p, "RPMCB"),
                                Box(p, "PowerCB"),
                                p->MOISG,
                                p->HelpButton,
                                p->MultipleButton,
                                p->PerformanceButton};
    p->GrabButton->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]->objectName());
    }
    // Tab also leaves a cell being edited, keeping what was typed.
    p->MOISG->setFocus();
    p->MOISG->setCurrentCell(1, 0);
    QTest::keyClick(p->MOISG, '7');
    QVERIFY(QApplication::focusWidget() != p->MOISG);  // the cell's editor
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), p->HelpButton);
    QCOMPARE(p->MOISG->cellText(0, 1), QString("7"));
    // The Engine performance button comes after every specified control, then
    // round again to the first control: the graphs never take the focus.
    p->MultipleButton->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), p->PerformanceButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), p->RecordButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), p->GrabButton);
}

void MainWindowTest::diskTableLagsOneKeyBehind() {
    Harness h;
    h.start();
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    DiskTable* grid = Panel1(*h.form)->MOISG;
    grid->setCellText(0, 0, "200");
    grid->setCellText(1, 0, "10");
    grid->setCellText(2, 0, "");
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    grid->editItem(grid->item(0, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_End);  // types nothing: no recomputation
    QCOMPARE(grid->cellText(2, 0), QString());
    QTest::keyClick(editor, '0');  // computed from the row before this key: 200 g, 10 mm
    QCOMPARE(grid->cellText(1, 0), QString("100"));
    QCOMPARE(grid->cellText(2, 0), QString("0.0025"));
    QTest::keyClick(editor, Qt::Key_Return);  // brings it up to date
    QCOMPARE(grid->cellText(2, 0), QString("0.25"));

    // Without an open editor: the typed key opens one and replaces the mass;
    // the moment still comes from the row before the key.
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, '4');
    QCOMPARE(grid->cellText(0, 0), QString("4"));
    QCOMPARE(grid->cellText(2, 0), QString("0.25"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);  // a character: recomputes
    QCOMPARE(grid->cellText(0, 0), QString());
    QCOMPARE(grid->cellText(2, 0), QString("0.005"));
    // With the mass blank the third cell is the moment: it stands as it is.
    QTest::keyClick(QApplication::focusWidget(), '8');
    QCOMPARE(grid->cellText(2, 0), QString("0.005"));
    grid->setCellText(2, 0, "x");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);  // types nothing
    QCOMPARE(grid->cellText(2, 0), QString("x"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(grid->cellText(2, 0), QString("0.01"));
    QTest::keyClick(grid, Qt::Key_Down);  // an arrow moves on and recomputes nothing
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->cellText(2, 1), QString());
}

void MainWindowTest::altQClosesAndEscapeClosesTheLog() {
    Harness h;
    h.start();
    TForm2* log = Form2();
    log->show();
    QApplication::setActiveWindow(log);
    QVERIFY(QTest::qWaitForWindowActive(log));
    log->memo1()->setPlainText("Memo1");
    log->memo1()->setFocus();
    QTest::keyClick(log->memo1(), Qt::Key_Escape);
    QVERIFY(!log->isVisible());
    QCOMPARE(log->memo1()->toPlainText(), QString("Memo1"));

    QSignalSpy closed(h.form.get(), &TForm1::closed);
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    Panel1(*h.form)->GrabButton->setFocus();
    QTest::keyClick(Panel1(*h.form)->GrabButton, Qt::Key_Q, Qt::AltModifier);
    QTRY_COMPARE(closed.count(), 1);  // the access key clicks the button, animated
    QVERIFY(!h.form->isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
