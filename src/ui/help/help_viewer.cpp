#include "ui/help/help_viewer.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
const QString kStartPage = QStringLiteral("index.html");
}

QString FindManualFolder(const QString& appDir) {
    QStringList candidates{QDir(appDir).filePath(QStringLiteral("manual")),
                           QDir(appDir).filePath(QStringLiteral("../share/corvane/manual"))};
#ifdef CORVANE_SOURCE_MANUAL_DIR
    candidates.append(QStringLiteral(CORVANE_SOURCE_MANUAL_DIR));
#endif
    for (const QString& folder : candidates) {
        if (QFileInfo::exists(QDir(folder).filePath(kStartPage))) return QDir::cleanPath(folder);
    }
    return {};
}

QString HelpTopicFile(int context) {
    switch (context) {
        case kHelpContextPerformance:
            return QStringLiteral("engine-performance.html");
        case kHelpContextStart:
        default:
            return kStartPage;
    }
}

HelpViewer::HelpViewer(const QString& manualFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), manualFolder_(manualFolder) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Corvane Data Logger Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 820);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({manualFolder_});

    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* forward = new QPushButton(QStringLiteral("Forward"), this);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
}

bool HelpViewer::showContext(int context) {
    if (manualFolder_.isEmpty()) return false;
    QString page = QDir(manualFolder_).filePath(HelpTopicFile(context));
    if (!QFileInfo::exists(page)) page = QDir(manualFolder_).filePath(kStartPage);
    if (!QFileInfo::exists(page)) return false;
    const QUrl url = QUrl::fromLocalFile(page);
    if (browser_->source() != url) browser_->setSource(url);
    show();
    raise();
    activateWindow();
    return true;
}

}  // namespace corvane::ui
