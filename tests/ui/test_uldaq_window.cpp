// The window on the uldaq board, without a board: with the board maker's real
// library, with a fake library whose board is plugged in later, and with a
// library that is absent or broken. Each reaches the missing-board state: the
// missing-board message, a red indicator whose hint says why, and that reason
// once in the text window.

#include <dlfcn.h>

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "daq/board_factory.h"
#include "daq/uldaq/uldaq_board.h"
#include "settings/board_settings.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/windows/memo_form.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

const QString kDesignedHint = "Red means USB connection to DAQ has failed";

// The fake library's controls, from the object the board opens by path. The
// fake is not linked, so that the real library never meets its symbols.
void FakeControl(const char* name, int argument) {
    static void* const fake = dlopen(CORVANE_FAKE_ULDAQ, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(fake != nullptr, dlerror());
    const auto control = reinterpret_cast<void (*)(int)>(dlsym(fake, name));
    QVERIFY2(control != nullptr, name);
    control(argument);
}

QStringList BoardLines() {
    return Form2()->memo1()->toPlainText().split('\n').filter(
        QRegularExpression("^DAQ board: "));
}

// Starts the window with its timers, as the program does, and waits for the
// first Grab to fail on the missing board; the hint and the log name the cause.
void ReachMissingBoard(Harness& h, std::unique_ptr<daq::Board> board, const QString& cause) {
    h.start(std::move(board), true);
    QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(h.user->messages.size()), 1, 3000);
    QCOMPARE(h.user->messages[0].text, kMissingBoard);
    ControlPanel* p = Panel1(*h.form);
    QVERIFY(!p->boardValid());
    QTRY_VERIFY(p->boardIsValid->toolTip().startsWith(kDesignedHint + "\n"));
    QVERIFY2(p->boardIsValid->toolTip().contains(cause), qPrintable(p->boardIsValid->toolTip()));
    QCOMPARE(BoardLines().size(), 1);
    QVERIFY2(BoardLines()[0].contains(cause), qPrintable(BoardLines()[0]));
    QVERIFY(h.user->errors.empty());
}

}  // namespace

class UldaqWindowTest : public QObject {
    Q_OBJECT
private slots:
    void realLibraryWithoutABoardReachesTheMissingBoardStateAndQuits();
    void boardPluggedInLaterTurnsGreenAndClearsTheHint();
    void brokenLibraryTakesTheMissingBoardPath_data();
    void brokenLibraryTakesTheMissingBoardPath();
};

// As a user starts it: [DAQ] Board=uldaq in the settings file, the library on
// the library path, no board on USB.
void UldaqWindowTest::realLibraryWithoutABoardReachesTheMissingBoardStateAndQuits() {
    const std::filesystem::path dir = CORVANE_ULDAQ_DIR;
    if (!std::filesystem::exists(dir / "lib" / daq::kUldaqLibraryFile))
        QSKIP(qPrintable("The board maker's library is not at " + QString::fromStdString(dir) +
                         " (configure with -DCORVANE_ULDAQ_DIR=...): real-library test skipped"));
    Harness h;
    h.writeSettings("[DAQ]\r\nBoard=uldaq\r\n");
    daq::BoardChoice choice =
        daq::MakeBoard(settings::ReadBoardSettings(settings::IniFile(h.path("CorvaneLogger.INI").toStdString())));
    QCOMPARE(QString::fromStdString(choice.name), QString("uldaq"));
    ReachMissingBoard(h, std::move(choice.board), "no board found on USB");
    if (QTest::currentTestFailed()) return;

    QTest::qWait(1200);  // the monitor keeps failing: still one line
    QCOMPARE(BoardLines().size(), 1);

    QSignalSpy closed(h.form.get(), &TForm1::closed);
    Panel1(*h.form)->QuitButton->click();
    QCOMPARE(closed.count(), 1);
    h.form.reset();  // the program's end: settings saved, board and library let go
    const QByteArray settings = h.readSettings();
    QVERIFY(settings.contains("Board=uldaq"));
    QVERIFY(settings.contains("[Form]"));
}

void UldaqWindowTest::boardPluggedInLaterTurnsGreenAndClearsTheHint() {
    FakeControl("fakeUl_reset", 0);
    Harness h;
    ReachMissingBoard(h, std::make_unique<daq::UldaqBoard>("", CORVANE_FAKE_ULDAQ),
                      "no board found on USB");
    if (QTest::currentTestFailed()) return;
    ControlPanel* p = Panel1(*h.form);
    FakeControl("fakeUl_reset", 1);
    QTRY_VERIFY_WITH_TIMEOUT(p->boardValid(), 1500);
    QCOMPARE(p->boardIsValid->toolTip(), kDesignedHint);
    FakeControl("fakeUl_setPlugged", 0);  // pulled out again: a new failure, a new line
    QTRY_VERIFY_WITH_TIMEOUT(!p->boardValid(), 1500);
    QTRY_COMPARE(BoardLines().size(), 2);
    QVERIFY(p->boardIsValid->toolTip().startsWith(kDesignedHint + "\n"));
    QCOMPARE(static_cast<int>(h.user->messages.size()), 1);
}

void UldaqWindowTest::brokenLibraryTakesTheMissingBoardPath_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("cause");
    const QString missing = QDir::temp().filePath("corvane-no-such-folder/libuldaq.so.1");
    QTest::newRow("absent") << missing << missing + ": cannot open shared object file";
    QTest::newRow("not a library") << QString() << QString(": invalid ELF header");
    QTest::newRow("lacks a function")
        << QString(CORVANE_FAKE_ULDAQ_WITHOUT_STOP) << QString(" lacks ulAInScanStop");
}

void UldaqWindowTest::brokenLibraryTakesTheMissingBoardPath() {
    QFETCH(QString, library);
    QFETCH(QString, cause);
    QTemporaryDir folder;
    if (library.isEmpty()) {
        library = folder.filePath("libuldaq.so.1");
        QFile file(library);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200, 'x'));
    }
    Harness h;
    ReachMissingBoard(h, std::make_unique<daq::UldaqBoard>("", library.toStdString()), cause);
}

QTEST_MAIN(UldaqWindowTest)
#include "test_uldaq_window.moc"
