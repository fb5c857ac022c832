// The image view: natural size from the top left, scroll bars and their steps, and the choice
// of the preview area with a rectangle that follows the mouse.
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/ImageView.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

// A view whose viewport is exactly `viewport` once shown with `image`.
void showSized(ImageView& view, const QImage& image, QSize viewport) {
  view.setImage(image);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const QSize bars = view.size() - view.viewport()->size();
  view.resize(viewport + bars);
  QTest::qWait(10);
  QCOMPARE(view.viewport()->size(), viewport);
}

QImage viewportPicture(ImageView& view) {
  return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class ImageViewTest : public QObject {
  Q_OBJECT

 private slots:
  void smallImageSitsTopLeftWithoutScrollBars() {
    ImageView view;
    view.resize(300, 200);
    view.setImage(testing::patternImage(40, 30));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(!view.horizontalScrollBar()->isVisible());
    QVERIFY(!view.verticalScrollBar()->isVisible());
    QCOMPARE(view.offset(), QPoint(0, 0));
    const QImage picture = viewportPicture(view);
    QCOMPARE(picture.copy(0, 0, 40, 30), testing::patternImage(40, 30));
    QCOMPARE(picture.pixel(100, 100), qRgb(0xc0, 0xc0, 0xc0));  // the light grey background
  }

  void pageStepsAreTenAndStopAtTheLimit() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showSized(view, testing::patternImage(235, 300), QSize(200, 150));
    QScrollBar* bar = view.horizontalScrollBar();
    QCOMPARE(bar->maximum(), 35);
    QList<int> offsets;
    for (int i = 0; i < 4; ++i) {
      bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
      offsets.append(view.offset().x());
    }
    QCOMPARE(offsets, (QList<int>{10, 20, 30, 35}));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(view.offset().x(), 34);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(view.offset().y(), 1);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(view.offset().y(), 0);
    // The keyboard steps the same way.
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.offset().y(), 10);
  }

  // Dragging the scroll box moves the view to the box's position.
  void draggingTheScrollBoxMovesTheView() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QImage image = testing::patternImage(400, 300);
    showSized(view, image, QSize(200, 150));
    view.horizontalScrollBar()->setSliderDown(true);
    view.horizontalScrollBar()->setSliderPosition(123);
    view.horizontalScrollBar()->setSliderDown(false);
    QCOMPARE(view.offset().x(), 123);
    QCOMPARE(viewportPicture(view), image.copy(123, 0, 200, 150));
  }

  void growingTheWindowPullsTheViewBack() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QImage image = testing::patternImage(300, 100);
    showSized(view, image, QSize(200, 80));
    view.horizontalScrollBar()->setValue(100);
    const QSize bars = view.size() - view.viewport()->size();
    view.resize(QSize(250, 80) + bars);
    QTest::qWait(10);
    QCOMPARE(view.offset().x(), 50);  // the image's right edge stays at the window's
    QCOMPARE(viewportPicture(view).copy(0, 0, 250, 80), image.copy(50, 0, 250, 80));
    view.resize(QSize(320, 80) + bars);
    QTest::qWait(10);
    QCOMPARE(view.offset().x(), 0);
  }

  void clickFixesTheAreaInImagePixels() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showSized(view, testing::patternImage(500, 400), QSize(200, 150));
    view.horizontalScrollBar()->setValue(40);
    view.verticalScrollBar()->setValue(25);
    QSignalSpy chosen(&view, &ImageView::areaChosen);
    // Clicks outside a selection do nothing.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 7));
    QCOMPARE(chosen.count(), 0);
    view.startAreaSelection(QSize(50, 40));
    QVERIFY(view.isSelectingArea());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 7));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toPoint(), QPoint(45, 32));
    QVERIFY(!view.isSelectingArea());
  }

  // The rectangle is drawn where the mouse is, earlier ones leave no trace, and after the
  // click the view shows the bare image again.
  void rectangleFollowsTheMouseWithoutTrace() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QImage image = testing::patternImage(300, 200);
    showSized(view, image, QSize(300, 200));
    view.startAreaSelection(QSize(30, 20));
    QTest::mouseMove(view.viewport(), QPoint(10, 10));
    QImage picture = viewportPicture(view);
    QVERIFY(picture != image);
    QVERIFY(picture.pixel(10, 10) != image.pixel(10, 10) ||
            picture.pixel(40, 30) != image.pixel(40, 30));
    QTest::mouseMove(view.viewport(), QPoint(100, 120));
    picture = viewportPicture(view);
    QCOMPARE(picture.copy(0, 0, 60, 60), image.copy(0, 0, 60, 60));  // the first one is gone
    QVERIFY(picture.copy(100, 120, 31, 21) != image.copy(100, 120, 31, 21));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(100, 120));
    QCOMPARE(viewportPicture(view), image);
  }

  void escapeGivesUpTheChoice() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    showSized(view, testing::patternImage(100, 100), QSize(100, 100));
    QSignalSpy cancelled(&view, &ImageView::areaSelectionCancelled);
    QSignalSpy chosen(&view, &ImageView::areaChosen);
    view.startAreaSelection(QSize(30, 20));
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!view.isSelectingArea());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(chosen.count(), 0);
  }

  void openingResetsTheScrollPositionAndSavingKeepsIt() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showSized(view, testing::patternImage(400, 300), QSize(100, 100));
    view.horizontalScrollBar()->setValue(70);
    view.verticalScrollBar()->setValue(20);
    view.replaceImage(testing::patternImage(400, 300).mirrored());
    QCOMPARE(view.offset(), QPoint(70, 20));
    view.setImage(testing::patternImage(400, 300));
    QCOMPARE(view.offset(), QPoint(0, 0));
  }
};

TQ1_UI_TEST_MAIN(ImageViewTest)
#include "ImageViewTest.moc"
