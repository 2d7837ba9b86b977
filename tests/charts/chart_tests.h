#pragma once
#include <QObject>

class ChartStackTest : public QObject {
    Q_OBJECT
private slots:
    void heightsFollowVisibleCount_data();
    void heightsFollowVisibleCount();
    void allGraphsOffKeepsHeightsAndPicture();
    void graphShownAgainTakesNewHeight();
    void hotEngineCentredOnGraph_data();
    void hotEngineCentredOnGraph();
    void zoomRectangleLinksOtherGraphs();
    void upperLeftDragUndoesZoomOnAll();
    void doubleClickUndoesZoom();
    void rightDragScrollsAllTogether();
    void rightClickAsksForTheMenu_data();
    void rightClickAsksForTheMenu();
    void copiedRangeReachesOthers_data();
    void copiedRangeReachesOthers();
    void pvZoomGivesTimeGraphsVolumeRange();
    void speedRangeOnlyWhenNotAutomatic();
    void timeGraphsLineUpWhateverTheirLabels_data();
    void timeGraphsLineUpWhateverTheirLabels();
};

class ChartLookTest : public QObject {
    Q_OBJECT
private slots:
    void resultFillsSeriesInAscendingX();
    void grabLeavesPowerCurvesStanding();
    void grabsSpeedPointsMergeAfterTheirEquals();
    void automaticAxisSpansData();
    void clearingSeries();
    void oneDrawingPerChange();
    void groupedLabels_data();
    void groupedLabels();
    void simulatedMarkOnEveryGraph();
    void hotEnginePicture();
};
