#include "ui/control_panel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/disk_table.h"
#include "ui/results_table.h"

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

void ControlPanel::SetAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    const QPoint topLeft = label->pos();
    label->adjustSize();
    label->move(topLeft);
}

ControlPanel::ControlPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel1");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);

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

    GroupBox1 = new QGroupBox("Enable Graphs", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(15, 430, 84, 113);
    PressureCB = Check(GroupBox1, "PressureCB", "Pressure", true);
    TachCB = Check(GroupBox1, "TachCB", "Tach", true);
    PVCB = Check(GroupBox1, "PVCB", "P/V", true);
    RPMCB = Check(GroupBox1, "RPMCB", "RPM", false);
    PowerCB = Check(GroupBox1, "PowerCB", "Power", false);
    int top = 16;
    for (QCheckBox* box : {PressureCB, TachCB, PVCB, RPMCB, PowerCB}) {
        Place(box, 8, top, 70, 17);
        top += 18;
    }

    Label1 = Label(this, "Label1", "Mass  Diam   MOI\n(g)      (mm)");
    Label1->setGeometry(6, 548, 84, 26);
    Label1->adjustSize();
    Label1->move(6, 548);

    MOISG = new DiskTable(this);
    MOISG->setGeometry(4, 574, 107, 119);

    scanProgress = new QProgressBar(this);
    scanProgress->setObjectName("scanProgress");
    scanProgress->setGeometry(4, 700, 105, 14);
    scanProgress->setTextVisible(true);
    scanProgress->hide();

    setBoardValid(true);
    setTabOrders();
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
    QWidget* order[] = {GrabButton, ContinuousCB, DynaButton, ExportButton, ImportButton,
                        QuitButton, SG,           PressureCB, TachCB,       PVCB,
                        RPMCB,      PowerCB,      MOISG,      HelpButton,   MultipleButton,
                        Button1};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace corvane::ui
