// The jobs behind the windows: failures of opening and saving, the preview's pixels and
// readouts, and long work on a worker thread with its progress dialog.
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "UiTestSupport.h"
#include "codec/Codec.h"
#include "imagefile/GridImage.h"
#include "ui/BackgroundTask.h"
#include "ui/ImageJobs.h"
#include "ui/PreviewRender.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

CodecParams lossyParams() {
  CodecParams params;
  params.tolerance = 12;
  params.smoothThreshold = 30;
  params.bits = {5, 6, 4};
  return params;
}

// The grid of an image, or an empty grid.
Grid gridOf(const QImage& image, QRect area) {
  ImageFileResult<Grid> grid =
      gridFromImage(image, area.x(), area.y(), area.width(), area.height());
  return grid.ok() ? std::move(grid.value) : Grid();
}

QImage imageOf(const Grid& grid) {
  ImageFileResult<QImage> image = imageFromGrid(grid);
  return image.ok() ? image.value : QImage();
}

}  // namespace

class ImageJobsTest : public QObject {
  Q_OBJECT

 private slots:
  void failuresNameTheirCauseInRussian() {
    testing::TestServices env;
    const ImageJobResult missing =
        loadViewImage(env.path(QStringLiteral("none.bmp")), FileKind::Bitmap, {});
    QCOMPARE(missing.error, QStringLiteral("файл не найден"));
    QVERIFY(missing.image.isNull());

    QFile junk(env.path(QStringLiteral("junk.tq1")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("TQ\x01\x00 not really a picture");
    junk.close();
    const ImageJobResult damaged = loadViewImage(junk.fileName(), FileKind::Tq1Image, {});
    QVERIFY(!damaged.ok());
    QVERIFY(damaged.image.isNull());

    // A bitmap cut short is refused with the damage named, not shown with invented rows.
    QImage whole(6, 4, QImage::Format_RGB32);
    whole.fill(qRgb(10, 20, 30));
    const QString cutPath = env.path(QStringLiteral("cut.bmp"));
    QVERIFY(whole.save(cutPath, "BMP"));
    QVERIFY(QFile::resize(cutPath, QFileInfo(cutPath).size() - 20));
    const ImageJobResult cut = loadViewImage(cutPath, FileKind::Bitmap, {});
    QCOMPARE(cut.error, QStringLiteral("файл повреждён: он обрывается раньше последней строки точек"));
    QVERIFY(cut.image.isNull());

    const ImageJobResult unwritable =
        saveTq1File(testing::patternImage(8, 8), lossyParams(),
                    env.path(QStringLiteral("no/such/dir/x.tq1")), {});
    QCOMPARE(unwritable.error, QStringLiteral("файл не удаётся записать"));
  }

  // The preview is previewRoundTrip of exactly the chosen pixels; its size readout is the
  // length of a .tq1 file of the area and its PSNR compares it with those pixels.
  void previewIsTheRoundTripOfTheArea() {
    const QImage image = testing::patternImage(120, 90);
    const QRect area(45, 32, 50, 40);
    const PreviewResult preview = renderPreview(image, area, lossyParams());
    QVERIFY2(preview.ok(), qPrintable(preview.error));

    CodecContext roundTrip;
    QVERIFY(prepareForEncoding(roundTrip, gridOf(image, area), lossyParams()).ok());
    QVERIFY(previewRoundTrip(roundTrip).ok());
    QCOMPARE(preview.image, imageOf(roundTrip.pixels));

    CodecContext coded;
    QVERIFY(prepareForEncoding(coded, gridOf(image, area), lossyParams()).ok());
    QVERIFY(encodeToBytes(coded).ok());
    QCOMPARE(preview.codedBytes, coded.stream.size());
    QVERIFY(preview.psnr.has_value());
    QVERIFY(*preview.psnr > 5.0 && *preview.psnr < 60.0);
    QCOMPARE(preview.bitsPerPixel(), double(coded.stream.size()) * 8.0 / (50 * 40));
    const QString stats = previewStatsText(preview);
    QVERIFY2(stats.contains(QStringLiteral("50 × 40")) && stats.contains(QStringLiteral("PSNR")),
             qPrintable(stats));
  }

  // Work runs on another thread; when it takes a while a progress dialog fed by its reports
  // shows, the user's clicks meanwhile go nowhere, and its result comes back.
  void longWorkShowsItsProgressAndHoldsInputBack() {
    QWidget owner;
    auto* button = new QPushButton(QStringLiteral("Открыть"), &owner);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QSignalSpy clicked(button, &QPushButton::clicked);
    int largestShown = -1;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] {
      auto* dialog = owner.findChild<QProgressDialog*>(QStringLiteral("PROGRESS"));
      if (dialog != nullptr && dialog->isVisible())
        largestShown = std::max(largestShown, dialog->value());
      QTest::mouseClick(button, Qt::LeftButton);
    });
    probe.start(25);
    QThread* const uiThread = QThread::currentThread();
    const int result = runInBackground(&owner, QStringLiteral("Кодирование..."),
                                       [uiThread](const ProgressCallback& progress) {
      for (std::uint64_t done = 0; done <= 10; ++done) {
        progress(done, 10);
        QThread::msleep(90);
      }
      return QThread::currentThread() != uiThread ? 42 : -1;
    });
    probe.stop();
    QCOMPARE(result, 42);
    QVERIFY2(largestShown >= 300, qPrintable(QString::number(largestShown)));
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }
};

TQ1_UI_TEST_MAIN(ImageJobsTest)
#include "ImageJobsTest.moc"
