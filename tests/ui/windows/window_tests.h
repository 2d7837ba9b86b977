#pragma once
#include <QObject>

class AuxiliaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void pvWindowAsDesigned();
    void questionMarkTogglesPvWindow();
    void pictureDrawnBlackAndWhite();
    void textWindowAsDesigned();
    void escapeInMemoClosesAndTypesNothing();
    void linesReplaceTheLog();
};

class HelpAndErrorsTest : public QObject {
    Q_OBJECT
private slots:
    void manualFoundNextToProgramFirst();
    void helpOpensStartPageAtContext100();
    void performanceContextOpensItsPage();
    void missingManualOpensNothing();
    void manualLinksResolve();
    void helpWindowClosesWithProgram();
    void uncaughtErrorReportedAndLoopGoesOn();
    void errorTexts();
};
