#include "ui/grid.h"

#include <QStringList>

namespace k52 {

QString formatGridNumber(const QString& text, const QString& format) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || format.isEmpty()) return text;
  const int point = format.indexOf(QLatin1Char('.'));
  const QString decimals = point < 0 ? QString() : format.mid(point + 1);
  const int maxDecimals = static_cast<int>(decimals.size());
  const int minDecimals = static_cast<int>(decimals.count(QLatin1Char('0')));
  QString s = QString::number(v, 'f', maxDecimals);
  if (maxDecimals > minDecimals) {
    // '#' places are shown only when they hold a significant digit.
    int keep = static_cast<int>(s.size());
    const int pointAt = static_cast<int>(s.indexOf(QLatin1Char('.')));
    while (keep > pointAt + 1 + minDecimals && s.at(keep - 1) == QLatin1Char('0')) --keep;
    s.truncate(keep);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
  }
  const QString intPart = point < 0 ? format : format.left(point);
  if (!intPart.contains(QLatin1Char('0')) && s.startsWith(QLatin1String("0."))) s.remove(0, 1);
  return s;
}

void MemoryGrid::resize() {
  cells_.resize(static_cast<size_t>(rows_));
  for (auto& r : cells_) r.resize(static_cast<size_t>(cols_));
  widths_.resize(static_cast<size_t>(cols_), 0);
  formats_.resize(static_cast<size_t>(cols_));
  if (curRow_ >= rows_) curRow_ = rows_ > 0 ? rows_ - 1 : 0;
  if (curCol_ >= cols_) curCol_ = cols_ > 0 ? cols_ - 1 : 0;
}

void MemoryGrid::setRows(int rows) {
  rows_ = rows < 0 ? 0 : rows;
  resize();
}
void MemoryGrid::setCols(int cols) {
  cols_ = cols < 0 ? 0 : cols;
  resize();
}

void MemoryGrid::setFormatString(const QString& format) {
  const QStringList parts = format.split(QLatin1Char('|'));
  if (parts.size() > cols_) setCols(static_cast<int>(parts.size()));
  if (rows_ < 1) setRows(1);
  for (int c = 0; c < parts.size(); ++c) {
    QString h = parts.at(c);
    if (!h.isEmpty() && QStringLiteral("<^>").contains(h.at(0))) h.remove(0, 1);
    cells_[0][static_cast<size_t>(c)].text = h;
  }
}

void MemoryGrid::insertRow(int row, const QString& header) {
  if (row < 0 || row > rows_) row = rows_;
  cells_.insert(cells_.begin() + row, std::vector<Cell>(static_cast<size_t>(cols_)));
  ++rows_;
  if (cols_ > 0) cells_[static_cast<size_t>(row)][0].text = header;
}

void MemoryGrid::setColWidthTwips(int col, int twips) {
  if (col >= 0 && col < cols_) widths_[static_cast<size_t>(col)] = twips;
}
int MemoryGrid::colWidthTwips(int col) const {
  return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : 0;
}
void MemoryGrid::setColFormat(int col, GridDataType, const QString& format) {
  if (col >= 0 && col < cols_) formats_[static_cast<size_t>(col)] = format;
}
QString MemoryGrid::colFormat(int col) const {
  return col >= 0 && col < cols_ ? formats_[static_cast<size_t>(col)] : QString();
}

MemoryGrid::Cell* MemoryGrid::cell(int row, int col) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return nullptr;
  return &cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}
const MemoryGrid::Cell* MemoryGrid::cell(int row, int col) const {
  return const_cast<MemoryGrid*>(this)->cell(row, col);
}

QString MemoryGrid::text(int row, int col) const {
  const Cell* c = cell(row, col);
  return c ? c->text : QString();
}
void MemoryGrid::setText(int row, int col, const QString& text) {
  if (Cell* c = cell(row, col)) c->text = text;
}
void MemoryGrid::select(int row, int col) {
  if (row >= 0 && row < rows_) curRow_ = row;
  if (col >= 0 && col < cols_) curCol_ = col;
}
void MemoryGrid::setCellForeColor(uint32_t bgr) {
  if (Cell* c = cell(curRow_, curCol_)) c->fore = bgr;
}
uint32_t MemoryGrid::cellForeColor(int row, int col) const {
  const Cell* c = cell(row, col);
  return c ? c->fore : 0;
}

}  // namespace k52
