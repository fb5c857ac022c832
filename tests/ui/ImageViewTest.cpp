// The image view: natural size from the top left, scroll bars and their steps, zoom, and the
// choice of the preview area with a rectangle that follows the mouse.
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/ImageView.h"
#include "ui/ViewGeometry.h"

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

void ctrlWheel(ImageView& view, QPoint at, int angle) {
  QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, angle),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &event);
}

// Every image pixel of `source` inside the viewport is a `zoom` x `zoom` square of its colour.
bool drawnAsSquares(const QImage& picture, const QImage& image, int zoom, QPoint firstPixel) {
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QPoint pixel = firstPixel + QPoint(x / zoom, y / zoom);
      if (!image.valid(pixel)) continue;
      if (picture.pixel(x, y) != image.pixel(pixel)) return false;
    }
  }
  return true;
}

bool isOutline(QRgb pixel) { return pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255); }

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

  // Zoomed in, every image pixel is a square of screen pixels, also scrolled by a part of a
  // pixel; the scroll range is that of the enlarged picture.
  void zoomedInPixelsAreSquares() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QImage image = testing::patternImage(60, 50);
    showSized(view, image, QSize(200, 150));
    QSignalSpy zoomed(&view, &ImageView::zoomChanged);
    view.setZoom(4.0, QPointF(0, 0));
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 60 * 4 - 200);
    QCOMPARE(view.verticalScrollBar()->maximum(), 50 * 4 - 150);
    QVERIFY(drawnAsSquares(viewportPicture(view), image, 4, QPoint(0, 0)));
    view.horizontalScrollBar()->setValue(8);  // two whole pixels
    view.verticalScrollBar()->setValue(12);
    QCOMPARE(view.offset(), QPoint(2, 3));
    QVERIFY(drawnAsSquares(viewportPicture(view), image, 4, QPoint(2, 3)));
    view.horizontalScrollBar()->setValue(10);  // two and a half
    const QImage picture = viewportPicture(view);
    QCOMPARE(picture.pixel(0, 0), image.pixel(2, 3));
    QCOMPARE(picture.pixel(1, 0), image.pixel(2, 3));
    QCOMPARE(picture.pixel(2, 0), image.pixel(3, 3));
    QCOMPARE(picture.pixel(5, 0), image.pixel(3, 3));
  }

  // Zoomed out, neighbouring pixels are blended, not dropped: alternating black and white
  // columns at half size turn grey.
  void zoomedOutPictureIsFiltered() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QImage stripes(200, 100, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x) {
      for (int y = 0; y < stripes.height(); ++y) {
        stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
      }
    }
    showSized(view, stripes, QSize(150, 80));
    view.setZoom(0.5, QPointF(0, 0));
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    const QImage picture = viewportPicture(view);
    for (const QPoint at : {QPoint(10, 10), QPoint(51, 20), QPoint(99, 49)}) {
      const int grey = qGray(picture.pixel(at));
      QVERIFY2(qAbs(grey - 128) < 40, qPrintable(QString::number(grey)));
    }
    QCOMPARE(picture.pixel(120, 70), qRgb(0xc0, 0xc0, 0xc0));  // beyond the shrunk picture
  }

  // Ctrl+wheel zooms one step per notch around the image point under the mouse; the wheel
  // alone still scrolls.
  void ctrlWheelZoomsAroundTheMouse() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showSized(view, testing::patternImage(400, 300), QSize(200, 150));
    view.horizontalScrollBar()->setValue(30);
    const QPoint mouse(80, 60);
    const QPoint under = view.offset() + mouse;  // at the natural size
    ctrlWheel(view, mouse, 120);
    QCOMPARE(view.zoom(), 1.5);
    ctrlWheel(view, mouse, 120);
    QCOMPARE(view.zoom(), 2.0);
    QCOMPARE(imagePointAt(mouse, view.scrollPosition(), view.zoom()), under);
    ctrlWheel(view, mouse, 60);  // half a notch: nothing yet
    QCOMPARE(view.zoom(), 2.0);
    ctrlWheel(view, mouse, 60);
    QCOMPARE(view.zoom(), 3.0);
    ctrlWheel(view, mouse, -3 * 120);
    QCOMPARE(view.zoom(), 1.0);
    QCOMPARE(view.offset() + mouse, under);
  }

  void fitShowsTheWholeImageAndOpeningGoesBackToNaturalSize() {
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    showSized(view, testing::patternImage(800, 300), QSize(200, 150));
    view.zoomToFit();
    QCOMPARE(view.zoom(), 0.25);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);
    view.zoomIn();
    QCOMPARE(view.zoom(), 1.0 / 3);
    view.replaceImage(testing::patternImage(800, 300).mirrored());  // a save keeps the zoom
    QCOMPARE(view.zoom(), 1.0 / 3);
    view.setImage(testing::patternImage(800, 300));
    QCOMPARE(view.zoom(), 1.0);
  }

  // At any zoom the rectangle is drawn as large as the area is on the screen, from the
  // image pixel under the mouse, and the click gives that pixel.
  void areaSelectionWorksAtEveryZoom_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QRect>("outline");
    QTest::newRow("natural") << 1.0 << QPoint(40, 25) << QPoint(5, 7) << QPoint(45, 32)
                             << QRect(5, 7, 20, 10);
    QTest::newRow("double") << 2.0 << QPoint(40, 25) << QPoint(5, 7) << QPoint(22, 16)
                            << QRect(4, 7, 40, 20);
    QTest::newRow("triple") << 3.0 << QPoint(0, 0) << QPoint(31, 17) << QPoint(10, 5)
                            << QRect(30, 15, 60, 30);
    QTest::newRow("half") << 0.5 << QPoint(10, 0) << QPoint(21, 30) << QPoint(62, 60)
                          << QRect(21, 30, 10, 5);
  }
  void areaSelectionWorksAtEveryZoom() {
    QFETCH(double, zoom);
    QFETCH(QPoint, scroll);
    QFETCH(QPoint, click);
    QFETCH(QPoint, origin);
    QFETCH(QRect, outline);
    ImageView view;
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QImage plain(500, 400, QImage::Format_RGB32);
    plain.fill(qRgb(100, 150, 200));
    showSized(view, plain, QSize(200, 150));
    view.setZoom(zoom, QPointF(0, 0));
    view.horizontalScrollBar()->setValue(scroll.x());
    view.verticalScrollBar()->setValue(scroll.y());
    QCOMPARE(view.scrollPosition(), scroll);
    view.startAreaSelection(QSize(20, 10));
    // From elsewhere: a move to where the pointer already is (the previous row) is no move.
    QTest::mouseMove(view.viewport(), click + QPoint(7, 9));
    QTest::mouseMove(view.viewport(), click);
    const QImage picture = viewportPicture(view);
    QVERIFY(isOutline(picture.pixel(outline.topLeft())));
    QVERIFY(isOutline(picture.pixel(outline.topLeft() + QPoint(outline.width(),
                                                                outline.height()))));
    QVERIFY(!isOutline(picture.pixel(outline.topLeft() - QPoint(1, 1))));
    QVERIFY(!isOutline(picture.pixel(outline.topLeft() + QPoint(outline.width() + 1, 1))));
    QVERIFY(!isOutline(picture.pixel(outline.topLeft() + QPoint(1, outline.height() + 1))));
    QSignalSpy chosen(&view, &ImageView::areaChosen);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, click);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toPoint(), origin);
  }
};

TQ1_UI_TEST_MAIN(ImageViewTest)
#include "ImageViewTest.moc"
