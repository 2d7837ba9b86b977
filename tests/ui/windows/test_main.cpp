// Runs the window and help tests under the program's own application class,
// whose event delivery catches errors.
#include <QTest>

#include "ui/help/error_reporter.h"
#include "window_tests.h"

int main(int argc, char** argv) {
    corvane::ui::CorvaneApplication app(argc, argv);
    int failures = 0;
    {
        AuxiliaryWindowsTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        HelpAndErrorsTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
