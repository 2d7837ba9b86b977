// Runs every test object of the graph stack in one program.
#include <QApplication>
#include <QTest>

#include "chart_tests.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    {
        ChartStackTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        ChartLookTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
