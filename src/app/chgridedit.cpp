#include "app/chgridedit.h"

#include "core/guarded.h"
#include "app/charcodec.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/langtexts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k52 {

namespace {

constexpr int kFirstValueItem = 3;  // ColItems(c, 3 + v) is the text of value v
constexpr double kTenHzPerMHz = 100000.0;
constexpr int32_t kTxSet = 100;     // a TX field at least this is a frequency
constexpr int kVfoChoiceCol = 10;   // with the VFO row, the cell (200, 10)

bool isKey(const QString& key, const char* name) { return key == QLatin1String(name); }

// The column's key (or its drop-down list, for a choice column).
const QString& colKey(const AppContext& ctx, int col) { return ctx.ch.ColItems(col, 0); }

// Columns 1, 2 and 8 open their editor on a click too; every other one only on typing.
GridEditMode editModeFor(int col) {
  return col <= kFieldTx || col == kFieldName ? GridEditMode::KbdMouse : GridEditMode::Kbd;
}

int16_t channelOf(int row) { return toInt16(int64_t{row}); }

int32_t& field(AppContext& ctx, int row, int f) { return ctx.ch.ChInfo(row, f); }

uint32_t defColor(const AppContext& ctx) { return colorValue(ctx.st.DefColor); }

// Selects (row, col), empties it and gives it the normal text colour.
void blankCell(AppContext& ctx, int row, int col) {
  Grid& g = ctx.gridCh();
  g.select(row, col);
  g.setText(row, col, QString());
  g.setCellForeColor(defColor(ctx));
}

// A typed frequency, in MHz, to the stored value: snapped, then held inside the band.
void storeFrequency(AppContext& ctx, int row, int col, int32_t tenHz) {
  Grid& g = ctx.gridCh();
  int32_t v = ModifyTxRxFre(ctx, QString::number(tenHz));
  if (v > ctx.band.UpperLimit)
    v = ctx.band.UpperLimit;
  else if (v < ctx.band.LowerLimit)
    v = ctx.band.LowerLimit;
  field(ctx, row, col) = v;
  g.setText(row, col, frequencyText(v));
  g.select(row, col);
  g.setCellForeColor(defColor(ctx));
}

// A TX frequency was typed: the encode tone shows again, or takes the decode tone.
void completeTx(AppContext& ctx, int row) {
  Grid& g = ctx.gridCh();
  g.select(row, kFieldEncode);
  if (field(ctx, row, kFieldEncode) != -1) {
    g.setText(row, kFieldEncode, ctx.tones.CtdcsList(field(ctx, row, kFieldEncode)));
  } else {
    field(ctx, row, kFieldEncode) = field(ctx, row, kFieldDecode);
    g.setText(row, kFieldEncode, g.text(row, kFieldDecode));
  }
  g.select(row, kFieldDecode);
}

// An RX frequency was typed: a channel that was empty gets the column defaults and an
// empty name, one without TX gets TX = RX and encode tone = decode tone.
void completeRx(AppContext& ctx, int row) {
  Grid& g = ctx.gridCh();
  if (g.text(row, kFieldDecode).isEmpty()) {
    field(ctx, row, kFieldDecode) = textToInt32(ctx.ch.ColItems(kFieldDecode, 2));
    g.setText(row, kFieldDecode, ctx.tones.CtdcsList(field(ctx, row, kFieldDecode)));
    // The last column keeps its value (it is not one of the radio's channel options).
    for (int k = kFieldOption5; k <= ctx.ch.ColCount - 1; ++k) {
      if (field(ctx, row, k) == -1) field(ctx, row, k) = textToInt32(ctx.ch.ColItems(k, 2));
      g.setText(row, k, choiceText(ctx, k, field(ctx, row, k)));
    }
    g.setText(row, kFieldName, QString());
    ChNameEdit(ctx, channelOf(row));
  }
  if (g.text(row, kFieldTx).isEmpty()) {
    g.setText(row, kFieldTx, g.text(row, kFieldRx));
    field(ctx, row, kFieldTx) = field(ctx, row, kFieldRx);
    g.setText(row, kFieldEncode, g.text(row, kFieldDecode));
    field(ctx, row, kFieldEncode) = field(ctx, row, kFieldDecode);
  }
  g.select(row, kFieldOption5);
}

// Text that is not a number in a frequency cell.
void clearFrequency(AppContext& ctx, int row, int col) {
  Grid& g = ctx.gridCh();
  if (col == kFieldRx) {
    if (row == kVfoRow) {
      // The VFO row cannot be emptied: its stored frequency shows again (none: empty).
      if (field(ctx, row, kFieldRx) == -1)
        g.setText(row, kFieldRx, QString());
      else
        RxFreShow(ctx, channelOf(row));
    } else {
      for (int k = kFieldRx; k <= ctx.ch.ColCount; ++k) {
        field(ctx, row, k) = -1;
        blankCell(ctx, row, k);
      }
    }
    g.select(row, kFieldRx);
    return;
  }
  if (row == kVfoRow) {
    TxFreShow(ctx, channelOf(row));
    return;
  }
  // The channel becomes receive-only.
  g.select(row, kFieldTx);
  field(ctx, row, kFieldTx) = -1;
  blankCell(ctx, row, kFieldTx);
  g.select(row, kFieldEncode);
  field(ctx, row, kFieldEncode) = -1;
  blankCell(ctx, row, kFieldEncode);
}

}  // namespace

const QString& choiceText(const AppContext& ctx, int col, int32_t v) {
  const int64_t item = std::min<int64_t>(int64_t{v} + kFirstValueItem, std::numeric_limits<int>::max());
  return ctx.ch.ColItems(col, static_cast<int>(item));
}

bool chInterfaceLocked(const AppContext& ctx) { return ctx.st.LockState == QLatin1String(kShowLock); }

bool mayEditCell(AppContext& ctx, int row, int col) {
  if (row == kVfoRow && col == kVfoChoiceCol) return true;
  if (chInterfaceLocked(ctx) || row < 1 || col < 1) return true;
  Grid& g = ctx.gridCh();
  g.setEditMode(editModeFor(col));
  // An empty channel is opened through its RX cell only.
  if (field(ctx, row, kFieldRx) == -1) return col == kFieldRx;
  // A receive-only channel has no encode tone.
  if (col == kFieldEncode && field(ctx, row, kFieldTx) == -1) return false;
  const QString& key = colKey(ctx, col);
  if (isKey(key, "RxFre") || isKey(key, "TxFre") || isKey(key, "OFFSET") || isKey(key, "CHNAME"))
    g.setColComboList(col, QString());
  else if (isKey(key, "CtcssDcsDec") || isKey(key, "CtcssDcsEnc"))
    g.setColComboList(col, ctx.tones.CtdcsComboList);
  else
    g.setColComboList(col, key);
  return true;
}

void vsfgGridCh_BeforeEdit(AppContext& ctx, int Row, int Col, bool& Cancel) {
  bool refused = false;
  guarded(ctx.log, "frmSysSet->vsfgGridCh_BeforeEdit:", [&] { refused = !mayEditCell(ctx, Row, Col); });
  if (refused) Cancel = true;
}

void storeCellEdit(AppContext& ctx, int row, int col) {
  if (chInterfaceLocked(ctx)) return;
  Grid& g = ctx.gridCh();
  field(ctx, row, kFieldEdited) = 1;
  if (col == kFieldRx || col == kFieldTx) {
    const QString t = g.text(row, col);
    if (!isNumeric(t)) {
      clearFrequency(ctx, row, col);
      return;
    }
    try {
      storeFrequency(ctx, row, col, toInt32(numericValue(t) * kTenHzPerMHz));
      if (col == kFieldTx)
        completeTx(ctx, row);
      else
        completeRx(ctx, row);
    } catch (...) {
      // A number too large to be a frequency: the cell and the field are emptied.
      g.setText(row, col, QString());
      field(ctx, row, col) = -1;
      throw;
    }
  } else if (col == kFieldName) {
    ChNameEdit(ctx, channelOf(row));
  } else {
    field(ctx, row, col) = g.comboIndex();
  }
}

void vsfgGridCh_AfterEdit(AppContext& ctx, int Row, int Col) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_AfterEdit:", [&] { storeCellEdit(ctx, Row, Col); });
}

void vsfgGridCh_EditCancelled(AppContext& ctx, int Row, int Col) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_EditCancelled", [&] {
    if (Col != kFieldName || Row < 1 || Row > ctx.ch.ChCount) return;
    ChNameCharShow(ctx, channelOf(Row));
  });
}

void clickCell(AppContext& ctx, ChGridEdit& ed) {
  Grid& g = ctx.gridCh();
  const int lastCol = g.cols() - 1;
  if (ctx.ch.ChCount >= 1) g.resetRangeBackColor(1, g.fixedCols(), ctx.ch.ChCount, lastCol);
  const int mr = ed.MouseRow, mc = ed.MouseCol;
  if (chInterfaceLocked(ctx) || mr < 1 || mc < 1) return;
  g.setRangeBackColor(mr, g.fixedCols(), mr, lastCol, kRowHighlightColor);
  g.setEditMode(editModeFor(mc));
  if (field(ctx, mr, kFieldRx) == -1) {
    // A click anywhere on an empty row opens its RX cell.
    g.select(mr, kFieldRx);
    g.startEdit();
  }
}

void vsfgGridCh_Click(AppContext& ctx, ChGridEdit& ed) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_Click:", [&] { clickCell(ctx, ed); });
}

void applyDoubleClickShortcut(AppContext& ctx) {
  Grid& g = ctx.gridCh();
  const int r = g.row(), c = g.col();
  if (chInterfaceLocked(ctx) || r < 1 || c < 1 || r >= g.rows() || c >= g.cols()) return;
  if (field(ctx, r, kFieldRx) == -1 || c == kFieldRx) return;
  g.setEditMode(editModeFor(c));
  field(ctx, r, kFieldEdited) = 1;
  switch (c) {
    case kFieldTx: {
      if (field(ctx, r, kFieldTx) >= kTxSet) return;
      const int32_t tx = field(ctx, r, kFieldRx);
      field(ctx, r, kFieldTx) = tx;
      g.setText(r, kFieldTx, g.text(r, kFieldRx));
      g.select(r, kFieldTx);
      const bool outside = tx < ctx.band.LowerLimit || tx > ctx.band.UpperLimit;
      g.setCellForeColor(colorValue(outside ? ctx.st.OverColor : ctx.st.DefColor));
      field(ctx, r, kFieldEncode) = field(ctx, r, kFieldDecode);
      g.setText(r, kFieldEncode, g.text(r, kFieldDecode));
      return;
    }
    case kFieldDecode:
      if (field(ctx, r, kFieldTx) == -1) return;
      field(ctx, r, kFieldDecode) = field(ctx, r, kFieldEncode);
      g.setText(r, kFieldDecode, g.text(r, kFieldEncode));
      return;
    case kFieldEncode:
      if (field(ctx, r, kFieldTx) == -1) return;
      field(ctx, r, kFieldEncode) = field(ctx, r, kFieldDecode);
      g.setText(r, kFieldEncode, g.text(r, kFieldDecode));
      return;
    case kFieldName:
      // An unnamed channel is offered a name; the editor then opens on it.
      if (g.text(r, kFieldName).isEmpty())
        g.setText(r, kFieldName, QStringLiteral("CH%1").arg(r, 3, 10, QLatin1Char('0')));
      return;
    default:
      break;
  }
  int32_t& v = field(ctx, r, c);
  if (v == -1) return;
  if (r == kVfoRow && c == kVfoChoiceCol) {
    v = 0;
  } else {
    // The choices cycle.
    const int32_t n = textToInt32(ctx.ch.ColItems(c, 1));
    v = v >= n - 1 ? 0 : v + 1;
  }
  g.setText(r, c, choiceText(ctx, c, v));
}

void vsfgGridCh_DblClick(AppContext& ctx) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_DblClick:", [&] { applyDoubleClickShortcut(ctx); });
}

void followKeyboard(AppContext& ctx, ChGridEdit& ed, GridKeyCode key) {
  if (chInterfaceLocked(ctx)) return;
  const Grid& g = ctx.gridCh();
  // The keyboard drives the grid: the pointer stands on the current cell, and moves with
  // it to the cell the arrow key selects.
  int r = g.row(), c = g.col();
  if (r < 1 || c < 1) {
    ed.MouseRow = 1;
    ed.MouseCol = 1;
    return;
  }
  switch (key) {
    case kKeyLeft:
      if (c >= 2) --c;
      break;
    case kKeyRight:
      if (c < ctx.ch.ColCount) ++c;
      break;
    case kKeyUp:
      if (r >= 2) --r;
      break;
    case kKeyDown:
      if (r < ctx.ch.ChCount) ++r;
      break;
    default:
      break;
  }
  ed.MouseRow = r;
  ed.MouseCol = c;
}

void vsfgGridCh_KeyDown(AppContext& ctx, ChGridEdit& ed, GridKeyCode KeyCode, ShiftBits /*Shift*/) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_KeyDown:", [&] { followKeyboard(ctx, ed, KeyCode); });
}

std::optional<ChPopMenuItems> channelMenuFor(AppContext& ctx, ChGridEdit& ed) {
  const Grid& g = ctx.gridCh();
  const int mr = ed.MouseRow, mc = ed.MouseCol;
  if (mc < g.fixedCols() || mr < g.fixedRows()) return std::nullopt;
  ed.SelCh = mr;

  ChPopMenuItems m;
  const QString ch = QString::number(ed.SelCh);
  const bool hasData = field(ctx, ed.SelCh, kFieldRx) != -1;
  m.openChCaption = ctx.text(kTextOpenChannel) + QLatin1Char(' ') + ch;  // "Open channel"
  m.saveDefCaption = ctx.text(kTextSaveAsDefault);                         // "Save as default"
  m.delOneCaption = ctx.text(kTextDeleteChannel) + QLatin1Char(' ') + ch;  // "Delete channel"
  m.delAllCaption = ctx.text(kTextDeleteAllChannels);                      // "Delete all channels"
  m.openChEnabled = !hasData;
  m.saveDefEnabled = hasData;
  m.delOneEnabled = hasData;
  m.delAllEnabled = true;
  if (ed.menus && ed.menus->chLockVisible()) {
    m.chLockVisible = true;
    m.chLockEnabled = true;
    m.chLockCaption = ctx.text(kTextLockChannelMenu);  // "&Lock Channel Interface"
    m.chLockChecked = ed.menus->chLockChecked();
    if (m.chLockChecked) m.openChEnabled = m.saveDefEnabled = m.delOneEnabled = m.delAllEnabled = false;
  }
  return m;
}

void vsfgGridCh_MouseDown(AppContext& ctx, ChGridEdit& ed, MouseButtonCode Button, ShiftBits /*Shift*/) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_MouseDown:", [&] {
    if (Button != kRightButton) return;
    const std::optional<ChPopMenuItems> m = channelMenuFor(ctx, ed);
    if (m && ed.menus) ed.menus->showPopMenu(*m);
  });
}

void vsfgGridCh_AfterRowColChange(AppContext& ctx, int /*OldRow*/, int /*OldCol*/, int /*NewRow*/, int /*NewCol*/) {
  guarded(ctx.log, "frmSysSet->vsfgGridCh_AfterRowColChange", [] {});
}

int32_t snapToChannelRaster(double f) {
  // The nearest point of each raster, in MHz, and its distance in 10 Hz units.
  const double a = roundHalfEven(f / kFreStepA) * (kFreStepA / kTenHzPerMHz);
  const int16_t dA = toInt16(std::fabs(f - a * kTenHzPerMHz));
  const double b = roundHalfEven(f / kFreStepB) * (kFreStepB / kTenHzPerMHz);
  const int16_t dB = toInt16(std::fabs(f - b * kTenHzPerMHz));
  return toInt32((dA < dB ? a : b) * kTenHzPerMHz);
}

int32_t ModifyTxRxFre(AppContext& ctx, const QString& text) {
  int32_t result = 0;
  guarded(ctx.log, "frmSysSet->ModifyTxRxFre:", [&] { result = snapToChannelRaster(numericValue(text)); });
  return result;
}

void storeChannelName(AppContext& ctx, int16_t channel) {
  // Characters the radio cannot show are left out, and the user is told which.
  QString dropped;
  const QString kept = keepDisplayChars(ctx, ctx.gridCh().text(channel, kFieldName), dropped);
  ChNameCharSol(ctx, kept, kNameLength);
  for (int i = 0; i < kNameLength; ++i)
    ctx.ch.ChNameCode(channel, i) = channel == kVfoRow ? uint8_t{255} : ctx.chars.NameCode(i);
  ChNameCharShow(ctx, channel);
  if (channel != kVfoRow) noticeDroppedChars(ctx, dropped);
}

void ChNameEdit(AppContext& ctx, int16_t channel) {
  guarded(ctx.log, "frmSysSet->ChNameEdit", [&] { storeChannelName(ctx, channel); });
}

}  // namespace k52
