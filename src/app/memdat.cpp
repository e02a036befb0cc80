#include "app/memdat.h"

#include "app/transfer.h"
#include "core/guarded.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/grid.h"

#include <algorithm>
#include <optional>

namespace k52 {

namespace {

constexpr int kAddrColTwips = 620;
constexpr int kByteColTwips = 420;
constexpr int kRowTwips = 270;

// The value of a base-2 text, held at a ceiling well above any 16-bit value so that a long
// text cannot wrap; raises 13 for a character other than 0 and 1.
int64_t binaryValue(const QString& binary) {
  int64_t v = 0;
  for (const QChar c : binary) {
    if (c != QLatin1Char('0') && c != QLatin1Char('1'))
      raiseError(ErrTypeMismatch, QStringLiteral("\"%1\" is no base-2 number").arg(binary));
    v = std::min<int64_t>(v * 2 + (c == QLatin1Char('1') ? 1 : 0), INT32_MAX);
  }
  return v;
}

// The byte a cell's text stands for; nothing when the text is no hex byte.
std::optional<int> cellByte(const QString& text) {
  try {
    const auto d = SeparateChar(text);
    const int v = d[3] * 4096 + d[2] * 256 + d[1] * 16 + d[0];
    if (v <= 255) return v;
  } catch (const K52Error&) {
  }
  return std::nullopt;
}

QString rowHeader(int row) {
  return hex4(memDatAddress(row, 1)) + QLatin1Char('H');
}

// One data row for every 16 addresses up to TableMaxAddr (the row of TableMaxAddr itself
// included); rows added get their address and height.
void shapeRows(AppContext& ctx, Grid& grid) {
  const int wanted = std::max<int>(ctx.st.TableMaxAddr, 0) / kMemDatBytesPerRow + 2;
  const int had = grid.rows();
  if (wanted == had) return;
  grid.setRows(wanted);
  for (int r = std::max(had, 1); r < wanted; ++r) {
    grid.setText(r, 0, rowHeader(r));
    grid.setRowHeightTwips(r, kRowTwips);
  }
}

// Runs f on each data cell (row, col, address) from address 0 to TableMaxAddr.
template <class F>
void forEachByteCell(const AppContext& ctx, F f) {
  for (int a = 0; a <= ctx.st.TableMaxAddr; ++a) f(memDatRow(a), memDatCol(a), a);
}

}  // namespace

QString FormatByteDat(uint8_t b) { return byteHex(b); }

void buildMemDatGrid(AppContext& ctx, Grid& grid) {
  grid.setRedraw(false);
  grid.setRows(1);
  QString format = QStringLiteral("^Addr");
  for (int c = 0; c < kMemDatBytesPerRow; ++c) format += QStringLiteral("|^%1").arg(c, 0, 16).toUpper();
  grid.setFormatString(format);
  grid.setColWidthTwips(0, kAddrColTwips);
  for (int c = 1; c <= kMemDatBytesPerRow; ++c) grid.setColWidthTwips(c, kByteColTwips);
  grid.setRowHeightTwips(0, kRowTwips);
  shapeRows(ctx, grid);
  grid.setEditMode(GridEditMode::KbdMouse);
  grid.setRedraw(true);
}

void SetGridMemDat(AppContext& ctx, Grid& grid) {
  guarded(ctx.log, "modMemDat->SetGridMemDat", [&] { buildMemDatGrid(ctx, grid); });
}

void SetDefCol(Grid& grid) {
  const int row = grid.row(), col = grid.col();
  bool moved = false;
  for (int r = 1; r < grid.rows(); ++r) {
    for (int c = 1; c < grid.cols(); ++c) {
      if (grid.cellForeColor(r, c) == kMemDatDefColor) continue;
      grid.select(r, c);
      grid.setCellForeColor(kMemDatDefColor);
      moved = true;
    }
  }
  if (moved) grid.select(row, col);
}

void fillGridFromImage(AppContext& ctx, Grid& grid, std::vector<int>& changed) {
  shapeRows(ctx, grid);
  SetDefCol(grid);
  forEachByteCell(ctx, [&](int r, int c, int a) {
    const uint8_t b = ctx.IicDat.at(a);
    const QString t = grid.text(r, c);
    if (!t.isEmpty() && cellByte(t) != int(b)) {
      grid.select(r, c);
      grid.setCellForeColor(kMemDatChangedColor);
      changed.push_back(a);
    }
    grid.setText(r, c, FormatByteDat(b));
  });
}

std::vector<int> TableFreDat(AppContext& ctx, Grid& grid) {
  std::vector<int> marked;
  const int row = grid.row(), col = grid.col();
  const bool redraw = grid.redraw();
  grid.setRedraw(false);
  guarded(ctx.log, "modMemDat->TableFreDat", [&] { fillGridFromImage(ctx, grid, marked); });
  if (!marked.empty()) grid.select(row, col);
  grid.setRedraw(redraw);
  return marked;
}

void writeBackCell(AppContext& ctx, Grid& grid, int row, int col) {
  if (row < 1 || col < 1 || col > kMemDatBytesPerRow) return;
  const int a = memDatAddress(row, col);
  if (a > ctx.st.TableMaxAddr) return;
  const QString t = grid.text(row, col).trimmed();
  if (t.isEmpty()) return;
  int value = 0;
  try {
    const auto d = SeparateChar(t);
    value = d[3] * 4096 + d[2] * 256 + d[1] * 16 + d[0];
    if (value > 255) raiseError(ErrOverflow, QStringLiteral("above FF"));
  } catch (const K52Error& e) {
    // Refused: the cell shows the image's byte again.
    grid.setText(row, col, FormatByteDat(ctx.IicDat.at(a)));
    raiseError(e.number(), QStringLiteral("cell %1 holds \"%2\", no byte").arg(hex4(a), t));
  }
  ctx.IicDat.at(a) = static_cast<uint8_t>(value);
  grid.setText(row, col, FormatByteDat(static_cast<uint8_t>(value)));  // as the next fill shows it
}

void GridDataTemp(AppContext& ctx, Grid& grid, int row, int col) {
  guarded(ctx.log, "frmMemDat->GridDataTemp", [&] { writeBackCell(ctx, grid, row, col); });
}

QString byteTip(Grid& grid, int row, int col) {
  if (row < 1 || col < 1 || row >= grid.rows() || col >= grid.cols()) return {};
  grid.select(row, col);
  const QString t = grid.text(row, col);
  if (t.isEmpty()) return {};
  const QString bin = H_To_B(t);
  const QString addr = hex4(memDatAddress(row, col));
  const QString blanks = QStringLiteral("    ");
  return QStringLiteral("地址为: 0x") + addr + QStringLiteral("    二进制:") + bin + blanks + B_To_BitShow(bin) +
         QStringLiteral("    十进制") + QString::number(B_To_D(bin)) + blanks + QLatin1Char('\n');
}

QString CellTipHint(AppContext& ctx, Grid& grid, int lngRow, int lngCol) {
  QString tip;
  guarded(ctx.log, "frmMemDat->CellTipHint", [&] { tip = byteTip(grid, lngRow, lngCol); });
  return tip;
}

QString H_To_B(const QString& hex) {
  QString bin;
  for (const QChar c : hex) {
    const int d = hexDigit(c);
    if (d >= 0) bin += QStringLiteral("%1").arg(d, 4, 2, QLatin1Char('0'));
  }
  return bin;
}

int16_t B_To_D(const QString& binary) { return toInt16(binaryValue(binary)); }

QString B_To_BitShow(const QString& strBinary) {
  QString show;
  const int n = static_cast<int>(strBinary.size());
  for (int i = 0; i < n; ++i) {
    show = QStringLiteral("B%1:%2 ").arg(i).arg(strBinary.at(n - 1 - i)) + show;
    if (i == 3) show = QStringLiteral("  ") + show;
  }
  return show;
}

std::array<int, 4> SeparateChar(const QString& strChar) {
  QString s = strChar.trimmed();
  while (s.size() > 4 && s.startsWith(QLatin1Char('0'))) s.remove(0, 1);
  if (s.size() > 4) raiseError(ErrOverflow, QStringLiteral("\"%1\" has more than four hex digits").arg(strChar));
  std::array<int, 4> digits{};
  for (int i = 0; i < s.size(); ++i) {
    const int d = hexDigit(s.at(s.size() - 1 - i));
    if (d < 0) raiseError(ErrTypeMismatch, QStringLiteral("\"%1\" is no hex number").arg(strChar));
    digits[static_cast<size_t>(i)] = d;
  }
  return digits;
}

uint8_t PartFillValue(const QString& text, PartFillBase base) {
  const QString t = text.trimmed();
  int64_t v = 0;
  if (base == PartFillDec) {
    v = static_cast<int64_t>(roundHalfEven(std::min(numericValue(t), 1e9)));
    if (v < 0) raiseError(ErrOverflow, QStringLiteral("fill value %1 below 0").arg(t));
  } else {
    const QString bin = base == PartFillHex ? H_To_B(t) : t;
    // Nothing typed would fill the range with 0: refused instead.
    if (bin.isEmpty()) raiseError(ErrTypeMismatch, QStringLiteral("no fill value"));
    v = binaryValue(bin);
  }
  return static_cast<uint8_t>(std::min<int64_t>(v, 255));
}

int16_t PartFillAddress(const QString& text) {
  const QString t = text.trimmed();
  return t.isEmpty() ? int16_t(0) : hexTextToInt16(t);
}

void fillRange(AppContext& ctx, Grid& grid, const QString& value, PartFillBase base, const QString& startAddr,
               const QString& endAddr) {
  const uint8_t v = PartFillValue(value, base);
  const int start = PartFillAddress(startAddr);
  const int end = PartFillAddress(endAddr);
  const QString shown = QString::number(v, 16).toUpper();
  for (int a = start; a <= end; ++a) {
    ctx.IicDat.at(a) = v;
    if (memDatRow(a) < grid.rows()) grid.setText(memDatRow(a), memDatCol(a), shown);
  }
}

void PartFillData(AppContext& ctx, Grid& grid, const QString& value, PartFillBase base, const QString& startAddr,
                  const QString& endAddr) {
  guarded(ctx.log, "frmPartFill->cmdFillData_Click", [&] { fillRange(ctx, grid, value, base, startAddr, endAddr); });
}

void prepareImageForViewer(AppContext& ctx, PendingEdit pending) {
  if (pending == PendingEdit::Finish)
    SetConvIicDat(ctx);
  else
    encodeTablesIntoImage(ctx);
  WriteComDat(ctx);
}

}  // namespace k52
