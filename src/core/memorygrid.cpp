#include "core/numbers.h"
#include "core/grid.h"

#include <QRegularExpression>
#include <algorithm>

namespace k52 {

namespace {

// Adds one to a string of decimal digits; returns false when the carry runs out of digits.
bool incrementDigits(QString& digits) {
  for (auto i = digits.size(); i-- > 0;) {
    if (digits[i] != QLatin1Char('9')) {
      digits[i] = QChar(digits[i].unicode() + 1);
      return true;
    }
    digits[i] = QLatin1Char('0');
  }
  return false;
}

}  // namespace

QString formatGridNumber(const QString& text, const QString& format) {
  static const QRegularExpression formatRe(QStringLiteral("^([#0]*)(?:\\.([#0]*))?$"));
  const QRegularExpressionMatch fm = formatRe.match(format);
  if (format.isEmpty() || !fm.hasMatch() || !isNumeric(text)) return text;
  const QString intFormat = fm.captured(1), decFormat = fm.captured(2);
  const qsizetype maxDecimals = decFormat.size();
  const qsizetype minDecimals = decFormat.count(QLatin1Char('0'));
  const qsizetype minIntDigits = intFormat.count(QLatin1Char('0'));

  // Work on the digits themselves, so that the text shows exactly what was stored.
  QString t = text.trimmed();
  bool negative = false;
  if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
    negative = t.startsWith(QLatin1Char('-'));
    t.remove(0, 1);
  }
  const qsizetype point = t.indexOf(QLatin1Char('.'));
  const QString intDigits = point < 0 ? t : t.left(point);
  const QString decDigits = point < 0 ? QString() : t.mid(point + 1);

  QString digits = intDigits + decDigits.left(maxDecimals).leftJustified(maxDecimals, QLatin1Char('0'));
  if (decDigits.size() > maxDecimals && decDigits.at(maxDecimals) >= QLatin1Char('5')) {
    if (!incrementDigits(digits)) digits.prepend(QLatin1Char('1'));
  }
  QString whole = digits.left(digits.size() - maxDecimals);
  QString decimals = digits.right(maxDecimals);

  qsizetype lead = 0;
  while (lead < whole.size() && whole.at(lead) == QLatin1Char('0')) ++lead;
  whole.remove(0, lead);
  if (whole.size() < minIntDigits) whole = whole.rightJustified(minIntDigits, QLatin1Char('0'));
  qsizetype keep = decimals.size();
  while (keep > minDecimals && decimals.at(keep - 1) == QLatin1Char('0')) --keep;
  decimals.truncate(keep);

  QString s = decimals.isEmpty() ? whole : whole + QLatin1Char('.') + decimals;
  if (s.isEmpty()) return QStringLiteral("0");
  const bool zero = std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); });
  return negative && !zero ? QLatin1Char('-') + s : s;
}

QString Grid::displayText(int row, int col) const {
  const QString t = text(row, col);
  if (row < fixedRows() || col < fixedCols() || colDataType(col) != GridDataType::Decimal) return t;
  return formatGridNumber(t, colFormat(col));
}

void MemoryGrid::resize() {
  cells_.resize(static_cast<size_t>(rows_));
  for (auto& r : cells_) r.resize(static_cast<size_t>(cols_));
  heights_.resize(static_cast<size_t>(rows_), kDefaultRowHeightTwips);
  columns_.resize(static_cast<size_t>(cols_));
  if (curRow_ >= rows_) curRow_ = rows_ > 0 ? rows_ - 1 : 0;
  if (curCol_ >= cols_) curCol_ = cols_ > 0 ? cols_ - 1 : 0;
}

void MemoryGrid::setRows(int rows) {
  rows_ = std::max(rows, 0);
  resize();
}
void MemoryGrid::setCols(int cols) {
  cols_ = std::max(cols, 0);
  resize();
}

namespace {
// The column part of a format string (before any ';'), one field per column.
QStringList formatColumns(const QString& format) {
  return format.section(QLatin1Char(';'), 0, 0).split(QLatin1Char('|'));
}
}  // namespace

int MemoryGrid::formatStringCols(const QString& format) { return static_cast<int>(formatColumns(format).size()); }

void MemoryGrid::setFormatString(const QString& format) {
  // Each field may start with an alignment mark: '<' left, '^' centred, '>' right.
  const QStringList parts = formatColumns(format);
  setCols(static_cast<int>(parts.size()));
  if (rows_ < 1) setRows(1);
  for (int c = 0; c < parts.size(); ++c) {
    QString h = parts.at(c);
    if (!h.isEmpty()) {
      const QChar mark = h.at(0);
      const GridAlign align = mark == QLatin1Char('<')   ? GridAlign::Left
                              : mark == QLatin1Char('^') ? GridAlign::Center
                                                         : GridAlign::Right;
      if (QStringLiteral("<^>").contains(mark)) {
        columns_[static_cast<size_t>(c)].align = align;
        h.remove(0, 1);
      }
    }
    cells_[0][static_cast<size_t>(c)].text = h;
  }
}

void MemoryGrid::insertRow(int row, const QString& header) {
  if (row < 0 || row > rows_) row = rows_;
  cells_.insert(cells_.begin() + row, std::vector<Cell>(static_cast<size_t>(cols_)));
  heights_.insert(heights_.begin() + row, kDefaultRowHeightTwips);
  ++rows_;
  if (cols_ > 0) cells_[static_cast<size_t>(row)][0].text = header;
  if (curRow_ >= row && rows_ > 1 && curRow_ + 1 < rows_) ++curRow_;
}

MemoryGrid::Column* MemoryGrid::column(int col) {
  return col >= 0 && col < cols_ ? &columns_[static_cast<size_t>(col)] : nullptr;
}
const MemoryGrid::Column* MemoryGrid::column(int col) const { return const_cast<MemoryGrid*>(this)->column(col); }

void MemoryGrid::setRowHeightTwips(int row, int twips) {
  if (row >= 0 && row < rows_) heights_[static_cast<size_t>(row)] = twips;
}
int MemoryGrid::rowHeightTwips(int row) const {
  return row >= 0 && row < rows_ ? heights_[static_cast<size_t>(row)] : 0;
}
void MemoryGrid::setColWidthTwips(int col, int twips) {
  if (Column* c = column(col)) c->widthTwips = twips;
}
int MemoryGrid::colWidthTwips(int col) const {
  const Column* c = column(col);
  return c ? c->widthTwips : 0;
}
void MemoryGrid::setColAlignment(int col, GridAlign align) {
  if (Column* c = column(col)) c->align = align;
}
GridAlign MemoryGrid::colAlignment(int col) const {
  const Column* c = column(col);
  return c ? c->align : GridAlign::Left;
}
void MemoryGrid::setColFormat(int col, GridDataType type, const QString& format) {
  if (Column* c = column(col)) {
    c->type = type;
    c->format = format;
  }
}
QString MemoryGrid::colFormat(int col) const {
  const Column* c = column(col);
  return c ? c->format : QString();
}
GridDataType MemoryGrid::colDataType(int col) const {
  const Column* c = column(col);
  return c ? c->type : GridDataType::Text;
}
void MemoryGrid::setColComboList(int col, const QString& list) {
  if (Column* c = column(col)) c->comboList = list;
}
QString MemoryGrid::colComboList(int col) const {
  const Column* c = column(col);
  return c ? c->comboList : QString();
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
QString MemoryGrid::headerText(int row, int col) const { return text(row, col); }

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

template <class F>
void MemoryGrid::forRange(int row1, int col1, int row2, int col2, F f) {
  // Either corner may come first; the block is clipped to the grid.
  const int r1 = std::max(std::min(row1, row2), 0), r2 = std::min(std::max(row1, row2), rows_ - 1);
  const int c1 = std::max(std::min(col1, col2), 0), c2 = std::min(std::max(col1, col2), cols_ - 1);
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c) f(cells_[static_cast<size_t>(r)][static_cast<size_t>(c)]);
}

void MemoryGrid::setRangeBackColor(int row1, int col1, int row2, int col2, uint32_t bgr) {
  forRange(row1, col1, row2, col2, [&](Cell& c) { c.back = bgr; });
}
void MemoryGrid::resetRangeBackColor(int row1, int col1, int row2, int col2) {
  forRange(row1, col1, row2, col2, [](Cell& c) { c.back.reset(); });
}
std::optional<uint32_t> MemoryGrid::ownBackColor(int row, int col) const {
  const Cell* c = cell(row, col);
  return c ? c->back : std::nullopt;
}
uint32_t MemoryGrid::cellBackColor(int row, int col) const { return ownBackColor(row, col).value_or(back_); }

}  // namespace k52
