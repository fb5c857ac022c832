// Draws the program's icon and button images into PNG files (run by hand when a picture
// changes; the PNGs are kept in resources/icons and compiled in through tq1.qrc), and the
// icons of the program and its file type for the desktop's icon theme (resources/icons/hicolor).
// Usage: tq1-draw-icons <output folder>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using Painting = std::function<void(QPainter&, double scale)>;

// Draws a picture designed on a `designSide` grid into an image of `size`; one design unit
// is `scale` pixels.
QImage render(QSize size, double designSide, const Painting& paint) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double scale = size.width() / designSide;
  painter.scale(scale, scale);
  paint(painter, scale);
  return image;
}

// The program icon: a picture cut into quadtree blocks of powers-of-two sides, each filled
// with one colour, as the codec covers an image. Drawn on a 32-unit grid.
struct Block { double x, y, side; QColor colour; };
const QColor kOutline(0x20, 0x28, 0x38);
const Block kBlocks[] = {
    {0, 0, 16, QColor(0x3f, 0x7f, 0xd0)},  {0, 16, 8, QColor(0x5c, 0xb8, 0x5c)},
    {8, 16, 8, QColor(0x7a, 0xc9, 0x6a)},  {0, 24, 8, QColor(0x3f, 0x9e, 0x4a)},
    {8, 24, 4, QColor(0x9a, 0xd6, 0x7a)},  {12, 24, 4, QColor(0x6c, 0xbf, 0x5f)},
    {8, 28, 4, QColor(0x4f, 0xaa, 0x52)},  {12, 28, 4, QColor(0x88, 0xcc, 0x70)},
    {16, 0, 8, QColor(0x6f, 0xa8, 0xe8)},  {24, 0, 8, QColor(0x9c, 0xc8, 0xf2)},
    {16, 8, 4, QColor(0xf6, 0xd3, 0x4f)},  {20, 8, 4, QColor(0xf9, 0xe0, 0x7a)},
    {16, 12, 4, QColor(0x8f, 0xbf, 0xee)}, {20, 12, 4, QColor(0xf2, 0xc0, 0x3a)},
    {24, 8, 8, QColor(0xb5, 0xd6, 0xf5)},  {16, 16, 16, QColor(0xe0, 0x8a, 0x3c)},
};

void paintMainIcon(QPainter& p, double scale) {
  for (const Block& b : kBlocks) p.fillRect(QRectF(b.x, b.y, b.side, b.side), b.colour);
  // At 32 pixels and below the seams are crisp one-pixel lines; larger sizes draw them
  // smoothly.
  const bool large = scale > 1.5;
  p.setRenderHint(QPainter::Antialiasing, large);
  p.setBrush(Qt::NoBrush);
  // Below 32 pixels one-pixel seams would cover most of the small blocks: the colours alone
  // show the blocks there.
  if (scale >= 1.0) {
    p.setPen(QPen(kOutline, large ? 0.5 : 0.0));
    for (const Block& b : kBlocks) p.drawRect(QRectF(b.x, b.y, b.side, b.side));
  }
  p.setPen(QPen(kOutline, large ? 1.0 : 0.0));
  p.drawRect(large ? QRectF(0.5, 0.5, 31, 31) : QRectF(0, 0, 31, 31));
}

// The file type icon: a sheet of paper with a folded corner carrying the block picture.
// Drawn on a 32-unit grid.
const QRectF kSheet(4.5, 1.5, 23, 29);
constexpr double kFold = 7;

QPainterPath sheetOutline() {
  QPainterPath sheet;
  sheet.moveTo(kSheet.left(), kSheet.top());
  sheet.lineTo(kSheet.right() - kFold, kSheet.top());
  sheet.lineTo(kSheet.right(), kSheet.top() + kFold);
  sheet.lineTo(kSheet.right(), kSheet.bottom());
  sheet.lineTo(kSheet.left(), kSheet.bottom());
  sheet.closeSubpath();
  return sheet;
}

void paintFileIcon(QPainter& p, double scale) {
  p.setPen(QPen(QColor(0x60, 0x68, 0x78), 1.0 / std::max(1.0, scale / 2)));
  p.setBrush(QColor(0xfa, 0xfa, 0xf7));
  p.drawPath(sheetOutline());
  QPainterPath fold;
  fold.moveTo(kSheet.right() - kFold, kSheet.top());
  fold.lineTo(kSheet.right() - kFold, kSheet.top() + kFold);
  fold.lineTo(kSheet.right(), kSheet.top() + kFold);
  p.setBrush(QColor(0xd8, 0xdc, 0xe4));
  p.drawPath(fold);
  p.save();
  p.translate(8, 12);
  p.scale(0.5, 0.5);
  paintMainIcon(p, scale / 2);
  p.restore();
}

// The same pictures as SVG, for the scalable icon folder.
QString svgBlocks(double x0, double y0, double unit) {
  QString out;
  for (const Block& b : kBlocks) {
    out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"%4\" "
                          "stroke=\"%5\" stroke-width=\"%6\"/>\n")
               .arg(x0 + b.x * unit).arg(y0 + b.y * unit).arg(b.side * unit)
               .arg(b.colour.name(), kOutline.name()).arg(0.5 * unit);
  }
  out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"none\" "
                        "stroke=\"%4\" stroke-width=\"%5\"/>\n")
             .arg(x0 + 0.5 * unit).arg(y0 + 0.5 * unit).arg(31 * unit)
             .arg(kOutline.name()).arg(unit);
  return out;
}

QString svgDocument(const QString& body) {
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                        "viewBox=\"0 0 32 32\">\n") +
         body + QStringLiteral("</svg>\n");
}

QString mainIconSvg() { return svgDocument(svgBlocks(0, 0, 1)); }

QString fileIconSvg() {
  const double l = kSheet.left(), t = kSheet.top(), r = kSheet.right(), b = kSheet.bottom();
  QString body = QStringLiteral(
                     "<path d=\"M%1 %2 H%3 L%4 %5 V%6 H%1 Z\" fill=\"#fafaf7\" stroke=\"#606878\"/>\n"
                     "<path d=\"M%3 %2 V%5 H%4\" fill=\"#d8dce4\" stroke=\"#606878\"/>\n")
                     .arg(l).arg(t).arg(r - kFold).arg(r).arg(t + kFold).arg(b);
  return svgDocument(body + svgBlocks(8, 12, 0.5));
}

// The About box picture: a landscape whose right half is shown as the codec rebuilds it from
// flat blocks.
QImage drawAboutPicture() {
  QImage scene(48, 48, QImage::Format_RGB32);
  {
    QPainter p(&scene);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 30);
    sky.setColorAt(0, QColor(0x4a, 0x86, 0xd8));
    sky.setColorAt(1, QColor(0xc8, 0xe2, 0xf8));
    p.fillRect(0, 0, 48, 48, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd8, 0x4a));
    p.drawEllipse(QPointF(34, 11), 6, 6);
    QPainterPath far;
    far.moveTo(0, 30);
    far.lineTo(12, 16);
    far.lineTo(22, 26);
    far.lineTo(32, 18);
    far.lineTo(48, 32);
    far.lineTo(48, 48);
    far.lineTo(0, 48);
    p.setBrush(QColor(0x6b, 0x7f, 0x99));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(0, 38);
    near.cubicTo(14, 30, 30, 44, 48, 34);
    near.lineTo(48, 48);
    near.lineTo(0, 48);
    p.setBrush(QColor(0x4c, 0xa0, 0x48));
    p.drawPath(near);
  }
  // Right half: 4 x 4 blocks of their average colour.
  for (int by = 0; by < 48; by += 4) {
    for (int bx = 24; bx < 48; bx += 4) {
      int r = 0, g = 0, b = 0;
      for (int y = by; y < by + 4; ++y) {
        for (int x = bx; x < bx + 4; ++x) {
          const QColor c = scene.pixelColor(x, y);
          r += c.red();
          g += c.green();
          b += c.blue();
        }
      }
      const QColor average(r / 16, g / 16, b / 16);
      for (int y = by; y < by + 4; ++y)
        for (int x = bx; x < bx + 4; ++x) scene.setPixelColor(x, y, average);
    }
  }
  QPainter p(&scene);
  p.setPen(QColor(0xff, 0xff, 0xff, 0xc0));
  p.drawLine(24, 0, 24, 47);
  p.setPen(QColor(0x20, 0x28, 0x38));
  p.drawRect(0, 0, 47, 47);
  return scene;
}

void paintPlus(QPainter& p, double) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2e, 0x8b, 0x3a));
  p.drawRoundedRect(QRectF(5, 1, 3, 11), 0.8, 0.8);
  p.drawRoundedRect(QRectF(1, 5, 11, 3), 0.8, 0.8);
}

void paintMinus(QPainter& p, double) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xc0, 0x30, 0x30));
  p.drawRoundedRect(QRectF(1, 5, 11, 3), 0.8, 0.8);
}

// Settings of the selected entries: three sliders with their knobs, in grey.
void paintProperties(QPainter& p, double) {
  const QColor line(0x70, 0x70, 0x70);
  const QColor knob(0x50, 0x50, 0x50);
  const double knobs[] = {4, 10, 7};
  for (int i = 0; i < 3; ++i) {
    const double y = 2.5 + 5 * i;
    p.setPen(QPen(line, 1.2));
    p.drawLine(QPointF(1, y), QPointF(15, y));
    p.setPen(Qt::NoPen);
    p.setBrush(knob);
    p.drawRect(QRectF(knobs[i] - 1.5, y - 2, 3, 4));
  }
}

// Save or load the list: lines of a list with their bullets, in grey.
void paintList(QPainter& p, double) {
  const QColor ink(0x60, 0x60, 0x60);
  for (int i = 0; i < 4; ++i) {
    const double y = 2 + 3.4 * i;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(1, y - 0.5, 2, 2));
    p.setPen(QPen(ink, 1.2));
    p.drawLine(QPointF(5, y + 0.5), QPointF(14, y + 0.5));
  }
}

// Convert the list: a check mark.
void paintMark(QPainter& p, double) {
  QPainterPath mark;
  mark.moveTo(2, 8.5);
  mark.lineTo(6.5, 13);
  mark.lineTo(14, 3);
  p.setPen(QPen(QColor(0x1f, 0x7a, 0x2e), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(mark);
}

bool save(const QImage& image, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  if (QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

bool saveText(const QString& text, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  QFile file(path);
  if (QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
      file.write(text.toUtf8()) == text.toUtf8().size()) {
    return true;
  }
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

// The desktop's icon theme folders: the program and its file type at every usual size.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const QString kAppIconName = QStringLiteral("io.github.tq1.Tq1");
const QString kFileIconName = QStringLiteral("image-x-tq1");

bool saveThemeIcons(const QDir& folder) {
  bool ok = true;
  for (const int side : kThemeSizes) {
    const QString sizeFolder = QStringLiteral("hicolor/%1x%1/").arg(side);
    ok &= save(render({side, side}, 32, paintMainIcon), folder,
               sizeFolder + QStringLiteral("apps/") + kAppIconName + QStringLiteral(".png"));
    ok &= save(render({side, side}, 32, paintFileIcon), folder,
               sizeFolder + QStringLiteral("mimetypes/") + kFileIconName + QStringLiteral(".png"));
  }
  ok &= saveText(mainIconSvg(), folder,
                 QStringLiteral("hicolor/scalable/apps/") + kAppIconName + QStringLiteral(".svg"));
  ok &= saveText(fileIconSvg(), folder,
                 QStringLiteral("hicolor/scalable/mimetypes/") + kFileIconName +
                     QStringLiteral(".svg"));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: tq1-draw-icons <output folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  bool ok = true;
  ok &= save(render({32, 32}, 32, paintMainIcon), folder, "MAINICON.png");
  ok &= save(render({256, 256}, 32, paintMainIcon), folder, "MAINICON-256.png");
  ok &= save(drawAboutPicture(), folder, "bitmap113.png");
  ok &= save(render({13, 13}, 13, paintPlus), folder, "PLUS.png");
  ok &= save(render({13, 13}, 13, paintMinus), folder, "MINUS.png");
  ok &= save(render({16, 15}, 16, paintProperties), folder, "PROP_GRAY.png");
  ok &= save(render({15, 14}, 15, paintList), folder, "LIST_GRAY.png");
  ok &= save(render({16, 16}, 16, paintMark), folder, "MARK.png");
  ok &= saveThemeIcons(folder);
  return ok ? 0 : 1;
}
