#include "gui/qtprintedtable.h"

#include "core/atomicfile.h"
#include "core/k52error.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <numeric>
#include <vector>

namespace k52 {

namespace {

constexpr double kBodyPoints = 9;
constexpr double kTitlePoints = 14;
constexpr double kSmallestPoints = 5;
const QColor kCaptionBack(0xE6, 0xE6, 0xE6);

QFont fontOf(const PrintedTable& t, double points, bool bold) {
  QFont f;
  if (!t.fontFamily.isEmpty()) f.setFamilies({t.fontFamily, f.family()});
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

// Grid colours are 0x00BBGGRR.
QColor colourOf(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

struct Layout {
  QFont title, caption, body;
  std::vector<double> widths;  // of the columns, padding included
  double pad = 0, line = 0, rowHeight = 0, tableTop = 0, tableWidth = 0;
  int rowsPerPage = 1, pages = 1;
};

Layout layOut(QPaintDevice* device, const QRectF& page, const PrintedTable& t) {
  Layout l;
  double points = kBodyPoints;
  for (;;) {
    l.caption = fontOf(t, points, true);
    l.body = fontOf(t, points, false);
    const QFontMetricsF cm(l.caption, device), bm(l.body, device);
    l.pad = bm.averageCharWidth();
    l.widths.assign(t.captions.size(), 0);
    for (size_t c = 0; c < l.widths.size(); ++c) l.widths[c] = cm.horizontalAdvance(t.captions[c]);
    for (const auto& row : t.rows)
      for (size_t c = 0; c < l.widths.size() && c < row.size(); ++c) l.widths[c] = std::max(l.widths[c], bm.horizontalAdvance(row[c].text));
    for (double& w : l.widths) w += 2 * l.pad;
    l.tableWidth = std::accumulate(l.widths.begin(), l.widths.end(), 0.0);
    if (l.tableWidth <= page.width() || points <= kSmallestPoints) break;
    points = std::max(kSmallestPoints, points * page.width() / l.tableWidth * 0.98);
  }
  // Still too wide in the smallest type: the columns share the page, their texts cut.
  if (l.tableWidth > page.width()) {
    for (double& w : l.widths) w *= page.width() / l.tableWidth;
    l.tableWidth = page.width();
  }
  l.title = fontOf(t, kTitlePoints, true);
  const QFontMetricsF bm(l.body, device);
  l.line = bm.height() * 1.25;
  l.rowHeight = bm.height() * 1.5;
  l.tableTop = QFontMetricsF(l.title, device).height() * 1.5 + l.line * (t.header.size() + 1);
  const double foot = l.line * 2;
  l.rowsPerPage = std::max(1, static_cast<int>((page.height() - l.tableTop - foot) / l.rowHeight) - 1);
  l.pages = std::max(1, static_cast<int>((t.rows.size() + l.rowsPerPage - 1) / l.rowsPerPage));
  return l;
}

void paintPage(QPainter& p, const QRectF& page, const PrintedTable& t, const Layout& l, int index) {
  const QFontMetricsF bm(l.body, p.device());
  p.setPen(Qt::black);
  p.setFont(l.title);
  const double titleHeight = QFontMetricsF(l.title, p.device()).height();
  p.drawText(QRectF(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, t.title);
  p.setFont(l.body);
  double y = titleHeight * 1.5;
  for (const QString& line : t.header) {
    p.drawText(QRectF(0, y, page.width(), l.line), Qt::AlignLeft | Qt::AlignVCenter, bm.elidedText(line, Qt::ElideMiddle, page.width()));
    y += l.line;
  }

  // Thin rules, a quarter of a point wide whatever the device's resolution.
  QPen rule(QColor(0x80, 0x80, 0x80));
  rule.setWidthF(p.device()->logicalDpiY() / 288.0);
  const auto cells = [&](double top, const auto& textOf, const auto& colourAt) {
    double x = 0;
    for (size_t c = 0; c < l.widths.size(); ++c) {
      const QRectF cell(x, top, l.widths[c], l.rowHeight);
      p.setPen(rule);
      p.drawRect(cell);
      p.setPen(colourAt(c));
      p.drawText(cell.adjusted(l.pad, 0, -l.pad, 0), Qt::AlignCenter, textOf(c));
      x += l.widths[c];
    }
  };
  y = l.tableTop;
  p.fillRect(QRectF(0, y, l.tableWidth, l.rowHeight), kCaptionBack);
  p.setFont(l.caption);
  cells(y, [&](size_t c) { return t.captions[c]; }, [](size_t) { return QColor(Qt::black); });
  p.setFont(l.body);
  const size_t first = static_cast<size_t>(index) * l.rowsPerPage;
  const size_t last = std::min(t.rows.size(), first + l.rowsPerPage);
  for (size_t r = first; r < last; ++r) {
    y += l.rowHeight;
    const auto& row = t.rows[r];
    cells(y, [&](size_t c) { return c < row.size() ? row[c].text : QString(); },
          [&](size_t c) { return colourOf(c < row.size() ? row[c].colour : 0); });
  }

  if (t.pageFoot.contains(QLatin1String("%1"))) {
    p.setPen(Qt::black);
    const QString foot = t.pageFoot.contains(QLatin1String("%2")) ? t.pageFoot.arg(index + 1).arg(l.pages) : t.pageFoot.arg(index + 1);
    p.drawText(QRectF(0, page.height() - l.line, page.width(), l.line), Qt::AlignCenter, foot);
  }
}

}  // namespace

int paintTable(QPainter& painter, const PrintedTable& table, const std::function<void()>& nextPage) {
  QPaintDevice* device = painter.device();
  const QRectF page(0, 0, device->width(), device->height());
  const Layout l = layOut(device, page, table);
  for (int i = 0; i < l.pages; ++i) {
    if (i > 0) nextPage();
    paintPage(painter, page, table, l, i);
  }
  return l.pages;
}

void writeTablePdf(const QString& path, const PrintedTable& table) {
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&pdf);
    writer.setTitle(table.title);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) raiseError(ErrPrinter, path);
    paintTable(painter, table, [&] { writer.newPage(); });
    if (!painter.end()) raiseError(ErrPrinter, path);
  }
  writeFileAtomically(path, pdf.data());
}

}  // namespace k52
