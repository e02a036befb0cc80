#include "app/optpage.h"

#include "core/guarded.h"
#include "app/charcodec.h"
#include "core/numbers.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "core/langtexts.h"

#include <cmath>
#include <initializer_list>

namespace k52 {

namespace {

QStringList texts(const AppContext& ctx, std::initializer_list<int> numbers) {
  QStringList items;
  for (int n : numbers) items << ctx.text(n);
  return items;
}

QStringList numbers(int first, int last) {
  QStringList items;
  for (int k = first; k <= last; ++k) items << QString::number(k);
  return items;
}

// A combo box: new list, then the entry's value selected; a value above the list is
// logged and replaced by the default. Selecting a position raises the click handler,
// which stores it back into OptSel.
void fillCombo(AppContext& ctx, OptPageView& view, const OptControlEntry& item) {
  const QStringList items = optComboItems(ctx, item.entry);
  view.setComboItems(item.entry, items);
  int position = ctx.opt.OptSel(item.entry);
  if (position > item.highest) {
    ctx.log.LogOptError(QStringLiteral("出错位置: frmSysSet->InitOpt->") + QString::fromUtf8(item.itemName) +
                        QStringLiteral("     错误类型: 不在范围内"));
    position = ctx.opt.OptDef(item.entry);
  }
  // -1 leaves the new list without a selection; anything else outside it is no position.
  if (position < -1 || position >= items.size())
    raiseError(ErrInvalidProperty, QStringLiteral("%1: no list position %2").arg(QString::fromLatin1(item.control)).arg(position));
  view.setComboIndex(item.entry, position);
  if (position >= 0) optControlClick(ctx, item.entry, position);
}

// A check box changes only when its state differs; the change raises its click handler.
void fillCheck(AppContext& ctx, OptPageView& view, const OptControlEntry& item) {
  const int16_t value = ctx.opt.OptSel(item.entry);
  const bool ticked = item.kind == OptKind::CheckNonZero ? value != 0 : value == 1;
  if (view.isChecked(item.entry) == ticked) return;
  view.setChecked(item.entry, ticked);
  optControlClick(ctx, item.entry, ticked ? 1 : 0);
}

void fill(AppContext& ctx, OptPageView& view, const OptControlEntry& item) {
  if (item.kind == OptKind::Combo)
    fillCombo(ctx, view, item);
  else
    fillCheck(ctx, view, item);
}

// The program sets a station box's text: a change raises the box's change handler.
void setStation(AppContext& ctx, OptPageView& view, int station, const QString& text) {
  if (view.stationText(station) == text) return;
  view.setStationText(station, text);
  txtRadioFre_Change(ctx, view, station);
}

// The station entry of box i.
int16_t& stationEntry(AppContext& ctx, int station) { return ctx.opt.OptSel(kOptFmStation + station); }

// A typed frequency in MHz as a whole number of 100 kHz steps, halves to even. Numbers
// too large for a station stay far outside the band rather than overflowing.
double stationSteps(double mhz) { return roundHalfEven(mhz * 10.0); }

}  // namespace

const OptControlEntry* optControl(int entry) {
  return optionField(entry);
}

QStringList optComboItems(const AppContext& ctx, int entry) {
  switch (entry) {
    case kOptTot: {
      QStringList items{ctx.text(kTextOff)};
      for (int k = 1; k <= 9; ++k) items << QString::number(30 * k);
      return items;
    }
    case kOptSql:
    case kOptRadioSql:
      return numbers(0, 9);
    case kOptBeep:
      return texts(ctx, {207, 208});
    case kOptKeyLock:
      return texts(ctx, {210, 211});
    case kOptWorkMode:
      return texts(ctx, {213, 214, 215});
    case kOptScanMode:
      return texts(ctx, {217, 218, 219});
    case kOptKeyLig:
      return texts(ctx, {221, 222, 223});
    case kOptAnVoice:
      return texts(ctx, {225, 226, 227});
    case kOptVoxLevel:
      return numbers(1, 9);
    case kOptVoxDly:
      return texts(ctx, {235, 236, 237, 238, 239, 240});
    case kOptPwrOnShowMode:
      return texts(ctx, {243, 244, 245});
    case kOptRadioWorkMode:
      return texts(ctx, {250, 251});
    case kOptRadioMoni:
      return texts(ctx, {254, 255});
    case kOptRadioNowCh: {
      QStringList items;
      for (int n = 1; n <= kFmStations; ++n) items << ctx.text(kTextFmStation) + QString::number(n);
      return items;
    }
    default:
      return {};
  }
}

QString fmStationText(int16_t steps) {
  const int v = steps;
  return QStringLiteral("%1.%2").arg(v / 10, 2, 10, QLatin1Char('0')).arg(std::abs(v % 10));
}

void InitOpt(AppContext& ctx, OptPageView& view) {
  guarded(ctx.log, "frmSysSet->InitOpt:", [&] {
    for (const OptControlEntry& item : kOptionFields) {
      fill(ctx, view, item);
      if (item.entry == kOptPwrOnShowMode) ShowPowerOnMsg(ctx);
    }
    for (int i = 0; i < kFmStations; ++i) {
      const int16_t v = stationEntry(ctx, i);
      setStation(ctx, view, i, (v >= kFmLowest && v <= kFmHighest) ? fmStationText(v) : QString());
    }
  });
}

void optControlClick(AppContext& ctx, int entry, int value) { ctx.opt.OptSel(entry) = static_cast<int16_t>(value); }

void txtPwrMsg_LostFocus(AppContext& ctx, const QString& text) {
  QString dropped;
  ChNameCharSol(ctx, keepDisplayChars(ctx, text, dropped), kNameLength);
  for (int i = 0; i < kNameLength; ++i) ctx.opt.OptSel(kOptPowerOnMsg + i) = ctx.chars.NameCode(i);
  ShowPowerOnMsg(ctx);
  noticeDroppedChars(ctx, dropped);
}

void txtRadioFre_Change(AppContext& ctx, OptPageView& view, int station) {
  const std::optional<double> mhz = parseNumeric(view.stationText(station));
  if (!mhz || stationSteps(*mhz) == 0) setStation(ctx, view, station, QString());
  if (view.stationText(station).isEmpty()) stationEntry(ctx, station) = 0;
}

void txtRadioFre_LostFocus(AppContext& ctx, OptPageView& view, int station) {
  const std::optional<double> mhz = parseNumeric(view.stationText(station));
  if (mhz) {
    const double steps = stationSteps(*mhz);
    if (steps >= kFmLowest && steps <= kFmHighest) {
      const auto v = static_cast<int16_t>(steps);
      setStation(ctx, view, station, fmStationText(v));
      stationEntry(ctx, station) = v;
    } else {
      setStation(ctx, view, station, QString());
    }
  } else {
    setStation(ctx, view, station, QString());
  }
  if (view.stationText(station).isEmpty()) stationEntry(ctx, station) = 0;
}

void cmdClrRadioFre_Click(AppContext& ctx, OptPageView& view) {
  for (int i = 0; i < kFmStations; ++i) {
    setStation(ctx, view, i, QString());
    // A box that was already empty raises no change, but its station may still hold a
    // value outside the band (read from a settings file): Clear empties it all the same.
    stationEntry(ctx, i) = 0;
  }
}

void fraMain_DblClick(AppContext& ctx) {
  guarded(ctx.log, "frmSysSet->fraMain_DblClick", [&] {
    if (ctx.st.TestModeFlag) ctx.views->showMemDat();
  });
}

}  // namespace k52
