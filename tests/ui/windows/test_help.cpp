// The help window over the manual, and errors that no handler caught.
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <stdexcept>

#include "text/errors.h"
#include "ui/help/error_reporter.h"
#include "ui/help/help_viewer.h"
#include "window_tests.h"

using namespace corvane::ui;

namespace {

void WritePage(const QString& folder, const QString& title) {
    QVERIFY(QDir().mkpath(folder));
    QFile page(QDir(folder).filePath("index.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(
        ("<html><head><title>" + title + "</title></head><body><p>" + title + "</p></body></html>")
            .toUtf8());
}

// An object whose event handler fails like an operation with a bad index.
class FailingHandler : public QObject {
public:
    int handled = 0;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw corvane::RangeError();
        if (event->type() == QEvent::User + 1) throw 42;
        if (event->type() == QEvent::User + 2) {
            ++handled;
            return true;
        }
        return QObject::event(event);
    }
};

struct HookScope {
    QStringList reports;
    ErrorReportHook previous;
    HookScope() {
        previous = SetErrorReportHook([this](const QString& message) { reports.append(message); });
    }
    ~HookScope() { SetErrorReportHook(previous); }
};

}  // namespace

void HelpAndErrorsTest::manualFoundNextToProgramFirst() {
    QTemporaryDir root;
    const QString appDir = root.filePath("bin");
    QVERIFY(QDir().mkpath(appDir));
    // Without a manual beside the program the source tree's manual is used.
    const QString fallback = FindManualFolder(appDir);
    QVERIFY2(fallback.endsWith("docs/manual"), qPrintable(fallback));
    // An installed program finds it under share/corvane, a portable one beside itself.
    WritePage(root.filePath("share/corvane/manual"), "installed");
    QCOMPARE(FindManualFolder(appDir), QDir::cleanPath(root.filePath("share/corvane/manual")));
    WritePage(QDir(appDir).filePath("manual"), "beside");
    QCOMPARE(FindManualFolder(appDir), QDir::cleanPath(QDir(appDir).filePath("manual")));
}

void HelpAndErrorsTest::helpOpensStartPageAtContext100() {
    QTemporaryDir appDir;
    WritePage(appDir.filePath("manual"), "Corvane start page");
    QWidget program;
    auto* help = new HelpViewer(FindManualFolder(appDir.path()), &program);
    QVERIFY(help->isHidden());
    QVERIFY(help->showContext(kHelpContextStart));
    QVERIFY(help->isVisible());
    QCOMPARE(help->browser()->source().fileName(), QString("index.html"));
    QVERIFY(help->browser()->toPlainText().contains("Corvane start page"));
    QCOMPARE(HelpTopicFile(kHelpContextStart), QString("index.html"));
}

void HelpAndErrorsTest::performanceContextOpensItsPage() {
    QCOMPARE(HelpTopicFile(kHelpContextPerformance), QString("engine-performance.html"));
    QWidget program;
    auto* help = new HelpViewer(FindManualFolder(QDir::tempPath() + "/no-such-program"), &program);
    QVERIFY(help->showContext(kHelpContextPerformance));
    QCOMPARE(help->browser()->source().fileName(), QString("engine-performance.html"));
    // A manual without that page opens at its start.
    QTemporaryDir appDir;
    WritePage(appDir.filePath("manual"), "start");
    auto* older = new HelpViewer(appDir.filePath("manual"), &program);
    QVERIFY(older->showContext(kHelpContextPerformance));
    QCOMPARE(older->browser()->source().fileName(), QString("index.html"));
}

void HelpAndErrorsTest::missingManualOpensNothing() {
    QTemporaryDir empty;
    HelpViewer help(empty.path());
    QVERIFY(!help.showContext(kHelpContextStart));
    QVERIFY(!help.isVisible());
    HelpViewer none{QString()};
    QVERIFY(!none.showContext(kHelpContextStart));
}

void HelpAndErrorsTest::manualLinksResolve() {
    const QDir manual(FindManualFolder(QDir::tempPath() + "/no-such-program"));
    const QStringList pages = manual.entryList({"*.html"}, QDir::Files);
    QVERIFY(pages.contains("index.html"));
    QVERIFY(pages.size() >= 10);
    const QRegularExpression link(R"((?:href|src)="([^"#:]*)(?:#([^"]*))?")");
    for (const QString& name : pages) {
        QFile page(manual.filePath(name));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const auto match = it.next();
            const QString target = match.captured(1).isEmpty() ? name : match.captured(1);
            QVERIFY2(QFileInfo::exists(manual.filePath(target)),
                     qPrintable(name + " links to a missing " + target));
            const QString anchor = match.captured(2);
            if (anchor.isEmpty()) continue;
            QFile linked(manual.filePath(target));
            QVERIFY(linked.open(QIODevice::ReadOnly));
            QVERIFY2(QString::fromUtf8(linked.readAll()).contains("id=\"" + anchor + "\""),
                     qPrintable(name + " links to a missing anchor " + target + "#" + anchor));
        }
    }
}

void HelpAndErrorsTest::helpWindowClosesWithProgram() {
    QTemporaryDir appDir;
    WritePage(appDir.filePath("manual"), "start");
    auto* program = new QWidget;
    QPointer<HelpViewer> help = new HelpViewer(appDir.filePath("manual"), program);
    QVERIFY(help->showContext(kHelpContextStart));
    QVERIFY(help->isWindow());
    QVERIFY(!help->testAttribute(Qt::WA_QuitOnClose));
    delete program;
    QVERIFY(help.isNull());
}

void HelpAndErrorsTest::uncaughtErrorReportedAndLoopGoesOn() {
    HookScope hook;
    FailingHandler handler;
    QEvent direct(QEvent::User);
    QCoreApplication::sendEvent(&handler, &direct);
    QCOMPARE(hook.reports, QStringList{"Range check error"});
    // Posted events failing in the event loop end there too; later ones still arrive.
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::Type(QEvent::User + 1)));
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::Type(QEvent::User + 2)));
    QCoreApplication::processEvents();
    QCOMPARE(hook.reports.size(), 2);
    QCOMPARE(hook.reports.at(1), QString("An unexpected error ended the operation."));
    QCOMPARE(handler.handled, 1);
}

void HelpAndErrorsTest::errorTexts() {
    HookScope hook;
    try {
        throw corvane::ConvertError("abc");
    } catch (...) {
        ReportCurrentException();
    }
    ReportError("Unable to write to /nowhere/CorvaneLogger.INI");
    QCOMPARE(hook.reports, (QStringList{"'abc' is not a valid floating point value",
                                        "Unable to write to /nowhere/CorvaneLogger.INI"}));
}
