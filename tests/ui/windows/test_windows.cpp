// The PV graph window and the text window.
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"
#include "window_tests.h"

using corvane::analysis::PvPicture;
using corvane::ui::TForm2;
using corvane::ui::TpvImageForm;

namespace {
// A loop picture: black outside a white rectangle with a black outline.
PvPicture Loop() {
    PvPicture picture;
    for (int y = 0; y < PvPicture::kSize; ++y)
        for (int x = 0; x < PvPicture::kSize; ++x) {
            const bool inside = x > 100 && x < 400 && y > 150 && y < 350;
            picture.white[static_cast<std::size_t>(y) * PvPicture::kSize + x] = inside ? 1 : 0;
        }
    return picture;
}
}  // namespace

void AuxiliaryWindowsTest::pvWindowAsDesigned() {
    TpvImageForm form;
    QCOMPARE(form.windowTitle(), QString("PV Graph"));
    QCOMPARE(form.geometry(), QRect(305, 114, 540, 549));
    QVERIFY(form.isHidden());
    QCOMPARE(form.pvImage()->geometry(), QRect(11, 2, 500, 500));
    QVERIFY(form.pvImage()->isHidden());
    QVERIFY(form.picture().isNull());
    QVERIFY(!form.testAttribute(Qt::WA_QuitOnClose));
}

void AuxiliaryWindowsTest::questionMarkTogglesPvWindow() {
    TpvImageForm form;
    // Before any drawing "?" shows an empty window.
    form.toggle();
    QVERIFY(form.isVisible());
    QVERIFY(form.pvImage()->isHidden());
    form.showPicture(Loop());
    // "?" typed in the window closes it; other keys do nothing.
    QTest::keyClick(&form, Qt::Key_A);
    QVERIFY(form.isVisible());
    QTest::keyClicks(&form, "?");
    QVERIFY(!form.isVisible());
    // Opened again, it still holds the last picture.
    form.toggle();
    QVERIFY(form.isVisible());
    QVERIFY(!form.pvImage()->isHidden());
    QCOMPARE(form.picture().pixel(250, 250), qRgb(255, 255, 255));
    form.close();
    QVERIFY(!form.isVisible());
}

void AuxiliaryWindowsTest::pictureDrawnBlackAndWhite() {
    TpvImageForm form;
    form.showPicture(Loop());
    // Drawing does not show the window itself.
    QVERIFY(!form.isVisible());
    QVERIFY(!form.pvImage()->isHidden());
    const QImage image = form.picture();
    QCOMPARE(image.size(), QSize(500, 500));
    QCOMPARE(image.pixel(499, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(100, 200), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(101, 200), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(399, 349), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(399, 350), qRgb(0, 0, 0));
    // A constant-pressure cycle leaves the picture all white.
    form.showPicture(PvPicture{});
    QCOMPARE(form.picture().pixel(499, 0), qRgb(255, 255, 255));
}

void AuxiliaryWindowsTest::textWindowAsDesigned() {
    TForm2 form;
    QCOMPARE(form.windowTitle(), QString("Form2"));
    QCOMPARE(form.geometry(), QRect(1250, 284, 551, 675));
    QCOMPARE(form.memo1()->geometry(), QRect(32, 16, 481, 625));
    QCOMPARE(form.memo1()->toPlainText(), QString("Memo1"));
    QCOMPARE(form.memo1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.memo1()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!form.memo1()->isReadOnly());
    QVERIFY(form.isHidden());
}

void AuxiliaryWindowsTest::escapeInMemoClosesAndTypesNothing() {
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.memo1()->setFocus();
    form.memo1()->moveCursor(QTextCursor::End);
    QTest::keyClick(form.memo1(), Qt::Key_X);
    QCOMPARE(form.memo1()->toPlainText(), QString("Memo1x"));
    QTest::keyClick(form.memo1(), Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.memo1()->toPlainText(), QString("Memo1x"));
    // Shown again with its contents intact.
    form.show();
    QCOMPARE(form.memo1()->toPlainText(), QString("Memo1x"));
}

void AuxiliaryWindowsTest::linesReplaceTheLog() {
    TForm2 form;
    form.setLines({"1, 23, 31, 26, 8", "2, 83, 91, 86, 8"});
    QCOMPARE(form.memo1()->toPlainText(), QString("1, 23, 31, 26, 8\n2, 83, 91, 86, 8"));
    QCOMPARE(form.memo1()->blockCount(), 2);
    form.setLines({"Only one cycle"});
    QCOMPARE(form.memo1()->toPlainText(), QString("Only one cycle"));
    form.setLines({});
    QCOMPARE(form.memo1()->toPlainText(), QString());
}
