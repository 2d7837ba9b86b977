#pragma once
// The graphs' menu (a right click without a drag) and the commands behind it:
// a picture of one graph or of every graph shown (PNG, SVG, PDF), copies of a
// graph and of the results table for other programs, printing, and the lab
// report of the capture on screen. The keys Ctrl+S (picture of the graphs),
// Ctrl+P (print) and Ctrl+R (report) reach them from anywhere in the window,
// Ctrl+C on the results table copies it whole.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "report/report_subject.h"
#include "ui/window_settings.h"

class QAction;
class QCustomPlot;
class QMenu;
class QWidget;

namespace corvane::charts {
class ChartStack;
}

namespace corvane::ui {

class CaptureWindow;
class ResultsTable;
class UserPrompts;

struct GraphCommandsHost {
    QWidget* window = nullptr;
    UserPrompts* prompts = nullptr;
    charts::ChartStack* charts = nullptr;
    ResultsTable* results = nullptr;
    // Runs the commands as its operations (Perform) and names the capture on
    // screen (reportSubject).
    CaptureWindow* owner = nullptr;
};

class GraphCommands : public QObject {
    Q_OBJECT
public:
    explicit GraphCommands(GraphCommandsHost host, QObject* parent = nullptr);

    // Opens the menu of graph `chart` at a point of the screen; it closes itself.
    QMenu* showMenu(int chart, QPoint globalPos);

    void saveGraphPicture(int chart);
    void saveGraphsPicture();  // every graph shown, one under another
    void copyGraph(int chart);
    void copyResultsTable();
    void printGraphs();
    void saveReport();

    // The folders and resolution the dialogs remember (the settings file keeps them).
    const ExportSettings& remembered() const { return remembered_; }
    void remember(const ExportSettings& settings) { remembered_ = settings; }

private:
    std::vector<QCustomPlot*> shownGraphs() const;
    void savePicture(const std::vector<QCustomPlot*>& plots, const QString& name);
    QAction* windowAction(const QString& text, const QString& keys,
                          void (GraphCommands::*command)());

    GraphCommandsHost host_;
    ExportSettings remembered_;
    QString pictureSuffix_ = "png";  // the kind of the last picture saved
    QAction* saveGraphs_;
    QAction* print_;
    QAction* report_;
};

}  // namespace corvane::ui
