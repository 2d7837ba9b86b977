#include "ui/control_panel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/disk_table.h"
#include "ui/key_commands.h"
#include "ui/results_table.h"
#include "ui/scan_progress.h"

namespace corvane::ui {

namespace {

// Places a control at its designed bounds, widening it just enough when the
// Linux font makes its caption longer than the designed width.
void Place(QWidget* w, int left, int top, int width, int height) {
    int needed = width;
    QString caption;
    int padding = 0;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        caption = button->text();
        padding = 10;
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        caption = box->text();
        padding = 22;
    }
    if (!caption.isEmpty()) {
        caption.remove('&');
        needed = std::max(width, w->fontMetrics().horizontalAdvance(caption) + padding);
    }
    w->setGeometry(left, top, needed, height);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& text, bool checked) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setChecked(checked);
    return c;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

int ControlPanel::roomRightOf(const QWidget* control) const {
    // The panel is always its designed width, also before the window lays it out.
    return kWidth - frameWidth() - control->x();
}

void ControlPanel::setLabelText(QLabel* label, const QString& text) {
    const auto design = designFonts_.find(label);
    QFont font = design != designFonts_.end() ? design->second : label->font();
    const int room = roomRightOf(label);
    QStringList lines = text.split('\n');
    for (QString& line : lines) line.remove('\r');
    const auto widest = [&lines](const QFont& f) {
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, QFontMetrics(f).horizontalAdvance(line));
        return widest;
    };
    constexpr int kSmallestPixels = 8;
    while (widest(font) > room && font.pixelSize() > kSmallestPixels)
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
    label->setText(text);
    const QPoint topLeft = label->pos();
    label->adjustSize();
    label->setGeometry(QRect(topLeft, QSize(std::min(label->width(), room), label->height())));
}

std::vector<QWidget*> ControlPanel::helpKeyControls() const {
    std::vector<QWidget*> controls{GrabButton, QuitButton, ExportButton, ImportButton,
                                   SG,         DynaButton, HelpButton};
    controls.insert(controls.end(), graphBoxes.begin(), graphBoxes.end());
    controls.push_back(MOISG);
    return controls;
}

std::vector<QWidget*> ControlPanel::questionKeyControls() const {
    return {GrabButton, QuitButton, ContinuousCB, ExportButton,  ImportButton,
            SG,         DynaButton, HelpButton,   MultipleButton};
}

void ControlPanel::attachKeys(KeyCommands& keys) const {
    for (QWidget* control : helpKeyControls()) keys.attachHelpKey(control);
    keys.attachHelpKey(PerformanceButton, kHelpContextPerformance);
    for (QWidget* control : questionKeyControls()) keys.attachQuestionKey(control);
}

void ControlPanel::setDesignedColumnWidths() {
    SG->setColumnWidth(0, 45);
    SG->setColumnWidth(1, 55);
    MOISG->setColumnWidth(0, 25);
    MOISG->setColumnWidth(1, 25);
    MOISG->setColumnWidth(2, 50);
}

charts::GraphChoice ControlPanel::graphChoice() const {
    charts::GraphChoice choice{};
    for (std::size_t i = 0; i < graphBoxes.size(); ++i) choice[i] = graphBoxes[i]->isChecked();
    return choice;
}

void ControlPanel::setGraphChoice(const charts::GraphChoice& choice) {
    for (std::size_t i = 0; i < graphBoxes.size(); ++i) graphBoxes[i]->setChecked(choice[i]);
}

ControlPanel::ControlPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel1");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    createCaptureControls();
    createFileControls();
    createResultControls();
    createGraphBoxes();
    createDiskControls();

    for (const QLabel* label : {lPress, lTemps, lError}) designFonts_[label] = label->font();
    // Hidden until "?"; before the first monitor reading it holds its design text.
    setLabelText(lPress, lPress->text());

    setBoardValid(true);
    setTabOrders();
}

void ControlPanel::createCaptureControls() {
    GrabButton = Button(this, "GrabButton", "Grab");
    GrabButton->setToolTip("Grab 1 second of data and display Pressure, Tachometer, and PV graphs");
    Place(GrabButton, 16, 8, 57, 20);

    boardIsValid = new QFrame(this);
    boardIsValid->setObjectName("boardIsValid");
    boardIsValid->setFrameStyle(QFrame::Panel | QFrame::Raised);
    boardIsValid->setAutoFillBackground(true);
    showBoardHint();
    boardIsValid->setGeometry(85, 10, 17, 17);

    ContinuousCB = Check(this, "ContinuousCB", "&Continuous", false);
    ContinuousCB->setToolTip("Run continuous Grabs");
    Place(ContinuousCB, 17, 33, 73, 17);

    DynaButton = Button(this, "DynaButton", "&Dyna");
    DynaButton->setToolTip(
        "Acquire 5 seconds of data while engine accelerates and compute Power and Torque");
    Place(DynaButton, 16, 58, 57, 20);

    lPress = Label(this, "lPress", "lPress");
    QFont pressFont = lPress->font();
    pressFont.setBold(true);
    pressFont.setPixelSize(19);
    lPress->setFont(pressFont);
    lPress->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lPress->setGeometry(84, 59, 58, 24);
    lPress->hide();
}

void ControlPanel::createFileControls() {
    ExportButton = Button(this, "ExportButton", "&Export");
    ExportButton->setEnabled(false);
    Place(ExportButton, 16, 84, 57, 20);

    ImportButton = Button(this, "ImportButton", "&Import");
    Place(ImportButton, 16, 109, 57, 20);

    MultipleButton = Button(this, "MultipleButton", "Multiple");
    MultipleButton->setToolTip(
        "Import multiple files sequentially, compute RPM, power, etc, and export to a single CSV "
        "file");
    Place(MultipleButton, 16, 133, 57, 20);

    HelpButton = Button(this, "HelpButton", "Help");
    Place(HelpButton, 16, 158, 57, 20);

    QuitButton = Button(this, "QuitButton", "&Quit");
    Place(QuitButton, 16, 184, 57, 20);

    Button1 = Button(this, "Button1", "Button1");
    Button1->setGeometry(88, 184, 17, 17);
    Button1->hide();
}

void ControlPanel::createResultControls() {
    lTemps = Label(this, "lTemps", "lTemps");
    lTemps->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lTemps->setGeometry(9, 211, 34, 13);

    lError = Label(this, "lError", "lError");
    QFont errorFont = lError->font();
    errorFont.setBold(true);
    errorFont.setPixelSize(12);
    lError->setFont(errorFont);
    QPalette errorPalette = lError->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lError->setPalette(errorPalette);
    lError->setGeometry(9, 229, 31, 13);

    SG = new ResultsTable(this);
    SG->setGeometry(2, 246, 103, 175);
}

void ControlPanel::createGraphBoxes() {
    GroupBox1 = new QGroupBox("Enable Graphs", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(15, 430, 84, 113);
    int top = 16;
    for (std::size_t i = 0; i < charts::kGraphs.size(); ++i) {
        const charts::GraphEntry& graph = charts::kGraphs[i];
        graphBoxes[i] = Check(GroupBox1, graph.checkBoxName, graph.caption, graph.designVisible);
        Place(graphBoxes[i], 8, top, 70, 17);
        top += 18;
    }
}

void ControlPanel::createDiskControls() {
    Label1 = Label(this, "Label1", "Mass  Diam   MOI\n(g)      (mm)");
    Label1->setGeometry(6, 548, 84, 26);
    Label1->adjustSize();
    Label1->move(6, 548);

    MOISG = new DiskTable(this);
    MOISG->setGeometry(4, 574, 107, 119);

    // The free room under the disk table: the Engine performance window's
    // button, then the progress of a running scan.
    PerformanceButton = Button(this, "PerformanceButton", "Performance");
    PerformanceButton->setToolTip(
        QString("Engine performance (%1): every cycle's work and power, efficiency against the "
                "Carnot limit, the dyna's power curve")
            .arg(kPerformanceShortcut));
    Place(PerformanceButton, 16, 700, 81, 20);
    RecordButton = Button(this, "RecordButton", "Record");
    RecordButton->setToolTip(
        QString("Recorder (%1): record the whole run, its trends, steady state and operating points")
            .arg(kRecorderShortcut));
    Place(RecordButton, 16, 724, 81, 20);

    scanProgress = new ScanProgress(this);
    scanProgress->move(4, 748);
    scanProgress->hide();
}

void ControlPanel::setBoardValid(bool valid) {
    const bool changed = valid != boardValid_;
    boardValid_ = valid;
    QPalette palette = boardIsValid->palette();
    palette.setColor(QPalette::Window, valid ? QColor(0, 128, 0) : QColor(255, 0, 0));
    boardIsValid->setPalette(palette);
    if (valid) setBoardProblem({});
    if (changed) emit boardValidChanged(valid);
}

void ControlPanel::setBoardNote(const QString& note) {
    boardNote_ = note;
    showBoardHint();
}

void ControlPanel::setBoardProblem(const QString& why) {
    boardProblem_ = why;
    showBoardHint();
}

void ControlPanel::showBoardHint() {
    QString hint = "Red means USB connection to DAQ has failed";
    for (const QString& line : {boardNote_, boardProblem_})
        if (!line.isEmpty()) hint += "\n" + line;
    boardIsValid->setToolTip(hint);
}

void ControlPanel::setTabOrders() {
    std::vector<QWidget*> order{GrabButton,   ContinuousCB, DynaButton, ExportButton,
                                ImportButton, QuitButton,   SG};
    order.insert(order.end(), graphBoxes.begin(), graphBoxes.end());
    order.insert(order.end(), {MOISG, HelpButton, MultipleButton, Button1, PerformanceButton,
                               RecordButton});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace corvane::ui
