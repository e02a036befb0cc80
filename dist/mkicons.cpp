// Draws the program's icon, a hand-held radio, as the desktop's icon theme wants it: one
// scalable SVG and PNGs of the usual sizes, from the one drawing below.
// Usage: k52mkicons OUTDIR   (writes OUTDIR/hicolor/<size>/apps/k52.{svg,png})

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <cstdio>
#include <vector>

namespace {

// The drawing on a 256 x 256 canvas, back to front.
struct Shape {
  enum Kind { RoundRect, Circle, Line } kind;
  double x, y, w, h;  // RoundRect: box; Circle: centre x, y and radius w; Line: from x, y to w, h
  double r;           // RoundRect: corner radius; Line: stroke width
  const char* colour;
};

const std::vector<Shape> kRadio = {
    {Shape::RoundRect, 150, 8, 24, 90, 12, "#37474f"},    // antenna
    {Shape::RoundRect, 86, 30, 36, 44, 8, "#607d8b"},     // channel knob
    {Shape::RoundRect, 56, 60, 144, 188, 28, "#263238"},  // body
    {Shape::RoundRect, 76, 82, 104, 58, 10, "#80deea"},   // display
    {Shape::RoundRect, 90, 96, 58, 11, 4, "#00606a"},     // display: frequency
    {Shape::RoundRect, 90, 115, 38, 9, 4, "#00606a"},     // display: channel name
    {Shape::Circle, 162, 120, 8, 0, 0, "#e53935"},        // transmit lamp
    {Shape::Line, 92, 166, 164, 166, 9, "#90a4ae"},       // speaker grille
    {Shape::Line, 92, 186, 164, 186, 9, "#90a4ae"},
    {Shape::Line, 92, 206, 164, 206, 9, "#90a4ae"},
    {Shape::Line, 92, 226, 164, 226, 9, "#90a4ae"},
};

QString svg() {
  QString s = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n");
  for (const Shape& sh : kRadio) {
    switch (sh.kind) {
      case Shape::RoundRect:
        s += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                 .arg(sh.x).arg(sh.y).arg(sh.w).arg(sh.h).arg(sh.r).arg(QLatin1String(sh.colour));
        break;
      case Shape::Circle:
        s += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                 .arg(sh.x).arg(sh.y).arg(sh.w).arg(QLatin1String(sh.colour));
        break;
      case Shape::Line:
        s += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
                            "stroke-linecap=\"round\"/>\n")
                 .arg(sh.x).arg(sh.y).arg(sh.w).arg(sh.h).arg(QLatin1String(sh.colour)).arg(sh.r);
        break;
    }
  }
  return s + QStringLiteral("</svg>\n");
}

QImage png(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);
  for (const Shape& sh : kRadio) {
    const QColor colour(QLatin1String(sh.colour));
    switch (sh.kind) {
      case Shape::RoundRect: {
        QPainterPath path;
        path.addRoundedRect(QRectF(sh.x, sh.y, sh.w, sh.h), sh.r, sh.r);
        p.fillPath(path, colour);
        break;
      }
      case Shape::Circle:
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(QPointF(sh.x, sh.y), sh.w, sh.w);
        break;
      case Shape::Line:
        p.setPen(QPen(colour, sh.r, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(sh.x, sh.y), QPointF(sh.w, sh.h));
        break;
    }
  }
  return img;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: k52mkicons OUTDIR\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!writeFile(out.filePath(QStringLiteral("hicolor/scalable/apps/k52.svg")), svg().toUtf8())) {
    std::fprintf(stderr, "k52mkicons: cannot write the SVG\n");
    return 1;
  }
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString path = out.filePath(QStringLiteral("hicolor/%1x%1/apps/k52.png").arg(size));
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!png(size).save(path, "PNG")) {
      std::fprintf(stderr, "k52mkicons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
