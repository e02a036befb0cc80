#include "app/chgrid.h"

#include "app/bandchoice.h"
#include "core/guarded.h"
#include "app/charcodec.h"
#include "app/chcodec.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/optcodec.h"
#include "core/vbarray.h"
#include "app/appcontext.h"

#include <algorithm>
#include <limits>

namespace k52 {

namespace {

constexpr int kLastNumberedRow = 199;
constexpr int kFirstValueItem = 3;  // ColItems(c, 3 + v) is the text of value v

// Keeps the grid from repainting while a batch of cells is written; restores the
// previous state however the batch ends.
class RedrawOff {
 public:
  explicit RedrawOff(Grid& g) : g_(g), was_(g.redraw()) { g_.setRedraw(false); }
  ~RedrawOff() { g_.setRedraw(was_); }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  Grid& g_;
  bool was_;
};

// The ColItems item that holds the text of value v; one past any table for a value
// whose item number would not fit, so that the lookup fails as a bounds error.
int valueItem(int32_t v) {
  const int64_t item = int64_t{v} + kFirstValueItem;
  return item > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(item);
}

// A colour of the settings (checked at start-up), or the default where none was read.
uint32_t colourOf(const QString& text, const char* fallback) {
  return colorValue(isNumeric(text) ? text : QString::fromLatin1(fallback));
}

}  // namespace

QString frequencyText(int32_t tenHz) {
  // Whole numbers only: field / 100000 printed from a double would need care to come out
  // exact, and the grid and the editing must agree to the last digit.
  const int64_t v = tenHz;
  const int64_t a = v < 0 ? -v : v;
  QString s = QString::number(a / 100000);
  QString decimals = QString::number(a % 100000).rightJustified(5, QLatin1Char('0'));
  while (decimals.endsWith(QLatin1Char('0'))) decimals.chop(1);
  if (!decimals.isEmpty()) s += QLatin1Char('.') + decimals;
  return v < 0 ? QLatin1Char('-') + s : s;
}

void ChInfoInitFace(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ChInfoInitFace:", [&] { ctx.gridCh().setBackColor(kChGridBackColor); });
}

void SetChGrid(AppContext& ctx) {
  guarded(ctx.log, "modChMem->SetChGrid:", [&] {
    Grid& g = ctx.gridCh();
    const ChannelTable& t = ctx.ch;
    RedrawOff off(g);
    g.setCols(1);
    g.setRows(1);
    g.setFormatString(t.GridFormat);
    g.setCols(t.ColCount + 1);

    VbArray<QString, 1, 300> RowLabel;
    RowLabel(kVfoRow) = QStringLiteral("VFO");
    g.setRowHeightTwips(0, t.RowHeight);
    for (int r = 1; r <= t.ChCount; ++r) {
      g.insertRow(r, r <= kLastNumberedRow ? QString::number(r) : RowLabel(r));
      g.setRowHeightTwips(r, t.RowHeight);
    }
    for (int c = 0; c <= t.ColCount; ++c) g.setColCentered(c);
    for (int c = 0; c <= t.ColCount; ++c) g.setColWidthTwips(c, t.ColWidth(c));
    for (int c = 1; c <= t.ColCount; ++c) {
      const QString& key = t.ColItems(c, 0);
      if (key == QLatin1String("RxFre") || key == QLatin1String("TxFre"))
        g.setColFormat(c, GridDataType::Decimal, QStringLiteral("###.#####"));
      else if (key == QLatin1String("OFFSET"))
        g.setColFormat(c, GridDataType::Decimal, QStringLiteral("#0.00000"));
      else if (key == QLatin1String("CHNAME"))
        g.setColFormat(c, g.colDataType(c), QStringLiteral("00000"));
    }
    g.select(1, 1);
  });
}

void ShowChTblGrid(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ShowChTblGrid", [&] {
    Grid& g = ctx.gridCh();
    RedrawOff off(g);
    const int row = g.row(), col = g.col();
    const uint32_t normal = colourOf(ctx.st.DefColor, kDefaultDefColor), over = colourOf(ctx.st.OverColor, kDefaultOverColor);
    // A frequency outside the band is shown in the warning colour, every other one (and
    // an empty cell) in the normal colour.
    auto colour = [&](int16_t n, int f) {
      const int32_t v = ctx.ch.ChInfo(n, f);
      g.select(n, f);
      g.setCellForeColor(v != -1 && (v < ctx.band.LowerLimit || v > ctx.band.UpperLimit) ? over : normal);
    };
    for (int i = 1; i <= ctx.ch.ChCount; ++i) {
      const auto n = static_cast<int16_t>(i);
      if (ctx.ch.ChInfo(n, kFieldRx) == -1) {
        for (int c = 1; c <= ctx.ch.ColCount; ++c) g.setText(n, c, QString());
      } else {
        ChParaShow(ctx, n);
        RxFreShow(ctx, n);
        TxFreShow(ctx, n);
        CtdcsDecShow(ctx, n);
        CtdcsEncShow(ctx, n);
      }
      colour(n, kFieldRx);
      colour(n, kFieldTx);
    }
    g.select(row, col);
  });
}

void ChParaShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->ChParaShow", [&] {
    for (int f = kFieldOption5; f <= ctx.ch.ColCount; ++f) {
      if (f == kFieldName)
        ChNameCharShow(ctx, n);
      else
        ctx.gridCh().setText(n, f, ctx.ch.ColItems(f, valueItem(ctx.ch.ChInfo(n, f))));
    }
  });
}

void RxFreShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->RxFreShow", [&] {
    ctx.gridCh().setText(n, kFieldRx, frequencyText(ctx.ch.ChInfo(n, kFieldRx)));
  });
}

void TxFreShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->TxFreShow", [&] {
    const int32_t tx = ctx.ch.ChInfo(n, kFieldTx);
    ctx.gridCh().setText(n, kFieldTx, tx == -1 ? QString() : frequencyText(tx));
  });
}

void CtdcsDecShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CtdcsDecShow", [&] {
    ctx.gridCh().setText(n, kFieldDecode, ctx.tones.CtdcsList(ctx.ch.ChInfo(n, kFieldDecode)));
  });
}

void CtdcsEncShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CtdcsEncShow", [&] {
    const bool noTx = ctx.ch.ChInfo(n, kFieldTx) == -1;
    ctx.gridCh().setText(n, kFieldEncode, noTx ? QString() : ctx.tones.CtdcsList(ctx.ch.ChInfo(n, kFieldEncode)));
  });
}

void SoftDisplay(AppContext& ctx) {
  guarded(ctx.log, "modChMem->SoftDisplay", [&] {
    ModelRangeSol(ctx);
    ChInfoSaveSol(ctx, kImageToTables);
    ShowChTblGrid(ctx);
    OptSelSaveSol(ctx, kImageToTables);
    ctx.views->showOptions();
    ctx.views->memoryImageReplaced();
  });
}

}  // namespace k52
