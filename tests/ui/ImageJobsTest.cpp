// Opening, saving and previewing through the jobs the main window and the codec options
// dialog run: what lands on disk and on screen equals what the codec and the bitmap writer
// produce for the same pixels.
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

#include "UiTestSupport.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"
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
  ImageFileResult<Grid> grid = gridFromImage(image, area.x(), area.y(), area.width(), area.height());
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
  void savedTq1IsWhatTheEncoderWritesAndShowsItsRebuild() {
    testing::TestServices env;
    const QImage image = testing::patternImage(61, 37);
    const QString path = env.path(QStringLiteral("out.tq1"));
    const ImageJobResult saved = saveTq1File(image, lossyParams(), path, {});
    QVERIFY2(saved.ok(), qPrintable(saved.error));

    CodecContext expected;
    QVERIFY(prepareForEncoding(expected, gridOf(image, image.rect()), lossyParams()).ok());
    QVERIFY(encodeToBytes(expected).ok());
    const QByteArray written = testing::fileBytes(path);
    QCOMPARE(written, QByteArray(reinterpret_cast<const char*>(expected.stream.data()),
                                 qsizetype(expected.stream.size())));
    QCOMPARE(saved.image, imageOf(expected.pixels));
    QVERIFY(saved.image != image);  // the parameters are lossy for this image

    // Opening the file shows exactly what the save showed.
    const ImageJobResult opened = loadViewImage(path, FileKind::Tq1Image, {});
    QVERIFY2(opened.ok(), qPrintable(opened.error));
    QCOMPARE(opened.image, saved.image);
  }

  void savedBitmapIsTheWritersBytes() {
    testing::TestServices env;
    const QImage image = testing::patternImage(13, 9);
    const QString path = env.path(QStringLiteral("out.bmp"));
    const ImageJobResult saved = saveBitmapFile(image, path);
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QVERIFY(saved.image.isNull());
    const ImageFileResult<std::vector<std::uint8_t>> expected = encodeBitmap(image);
    QVERIFY(expected.ok());
    QCOMPARE(testing::fileBytes(path),
             QByteArray(reinterpret_cast<const char*>(expected.value.data()),
                        qsizetype(expected.value.size())));
    const ImageJobResult opened = loadViewImage(path, FileKind::Bitmap, {});
    QVERIFY2(opened.ok(), qPrintable(opened.error));
    QCOMPARE(opened.image, image);
  }

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

    const ImageJobResult unwritable = saveTq1File(
        testing::patternImage(8, 8), lossyParams(), env.path(QStringLiteral("no/such/dir/x.tq1")), {});
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

  void losslessPreviewSaysSo() {
    const QImage flat = [] {
      QImage image(30, 20, QImage::Format_RGB32);
      image.fill(qRgb(10, 200, 30));
      return image;
    }();
    const PreviewResult preview = renderPreview(flat, flat.rect(), CodecParams{});
    QVERIFY(preview.ok());
    QVERIFY(!preview.psnr.has_value());
    QVERIFY(previewStatsText(preview).contains(QStringLiteral("без потерь")));
  }

  // The work runs on another thread, its progress reports are taken, and the caller gets the
  // result back on its own thread.
  void backgroundWorkReturnsItsResult() {
    QThread* const uiThread = QThread::currentThread();
    std::atomic<bool> ranElsewhere = false;
    const QImage image = testing::patternImage(300, 200);
    const ImageJobResult result =
        runInBackground(nullptr, QStringLiteral("test"), [&](const ProgressCallback& progress) {
          ranElsewhere = QThread::currentThread() != uiThread;
          QTemporaryDir folder;
          return saveTq1File(image, lossyParams(), folder.filePath(QStringLiteral("x.tq1")),
                             progress);
        });
    QVERIFY(ranElsewhere);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.image.size(), image.size());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);  // the wait cursor is gone again
  }

  // Work that takes a while shows a progress dialog fed by the progress reports, and the
  // user's clicks meanwhile go nowhere.
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
      if (dialog != nullptr && dialog->isVisible()) largestShown = std::max(largestShown, dialog->value());
      QTest::mouseClick(button, Qt::LeftButton);
    });
    probe.start(25);
    runTask(&owner, QStringLiteral("Кодирование..."), [](const ProgressCallback& progress) {
      for (std::uint64_t done = 0; done <= 10; ++done) {
        progress(done, 10);
        QThread::msleep(90);
      }
    });
    probe.stop();
    QVERIFY2(largestShown >= 500, qPrintable(QString::number(largestShown)));
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }
};

TQ1_UI_TEST_MAIN(ImageJobsTest)
#include "ImageJobsTest.moc"
