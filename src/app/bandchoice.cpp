#include "app/bandchoice.h"

#include "app/session.h"
#include "core/guarded.h"
#include "app/bandtable.h"
#include "app/chgrid.h"
#include "app/appcontext.h"
#include "core/langtexts.h"

#include <utility>

namespace k52 {

namespace {

void showList(AppContext& ctx) {
  const BandChoice& b = ctx.bandChoice;
  if (b.view) b.view->showBandList(b.cboFrequencyList, b.cboFrequencyIndex);
}

// "All data will be cleared,continue?"
bool confirmDataReset(AppContext& ctx) {
  return ctx.dialogs.messageBox(ctx.text(kTextAskClearAll), MsgButtons::YesNo, MsgIcon::Question, ctx.text(kTextNotice)) == MsgAnswer::Yes;
}

// A band change starts from the template image under the default file name.
void resetToTemplate(AppContext& ctx) {
  ctx.st.CurDataFile = ctx.st.DefDataFile;
  ShowCurDataFile(ctx);
  NewFileSol(ctx);
}

void setLimits(AppContext& ctx, int32_t lower, int32_t upper) {
  ctx.band.LowerLimit = lower;
  ctx.band.UpperLimit = upper;
}

}  // namespace

void cboFrequencyClear(AppContext& ctx) {
  ctx.bandChoice.cboFrequencyList.clear();
  ctx.bandChoice.cboFrequencyIndex = -1;
  showList(ctx);
}

void cboFrequencyAddItem(AppContext& ctx, const QString& text) {
  ctx.bandChoice.cboFrequencyList.append(text);
  showList(ctx);
}

void cboFrequencySelect(AppContext& ctx, int index) {
  BandChoice& b = ctx.bandChoice;
  if (index < -1 || index >= b.cboFrequencyList.size())
    raiseError(ErrInvalidProperty, QStringLiteral("cboFrequency has no entry %1").arg(index));
  if (index == b.cboFrequencyIndex) return;  // the same entry again: no selection event
  b.cboFrequencyIndex = static_cast<int16_t>(index);
  showList(ctx);
  cboFrequency_Click(ctx);
}

void fillBandList(AppContext& ctx) {
  BandChoice& b = ctx.bandChoice;
  cboFrequencyClear(ctx);
  for (const BandPreset& p : kBandPresets) cboFrequencyAddItem(ctx, QString::fromLatin1(p.text));
  cboFrequencyAddItem(ctx, ctx.text(kTextCustomBand));  // "Custom"
  b.BandAutoSel = true;
  cboFrequencySelect(ctx, kDefaultBandIndex);
  ctx.band.BandIndex = b.cboFrequencyIndex;
  b.BandAutoSel = false;
}

void ChInfoModel(AppContext& ctx) {
  guarded(ctx.log, "frmChMem->ChInfoModel", [&] { fillBandList(ctx); });
}

void applyChosenBand(AppContext& ctx) {
  BandChoice& b = ctx.bandChoice;
  if (b.BandUndo) {
    b.BandUndo = false;
    return;
  }
  if (!b.BandAutoSel && !confirmDataReset(ctx)) {
    // Declined: the list goes back to the band in use; that selection event only
    // clears the flag. Should the list already stand there, no event comes to clear
    // it, and it would swallow the user's next choice.
    b.BandUndo = true;
    cboFrequencySelect(ctx, ctx.band.BandIndex);
    if (b.cboFrequencyIndex == ctx.band.BandIndex) b.BandUndo = false;
    return;
  }
  if (!b.BandAutoSel) resetToTemplate(ctx);

  const int16_t index = b.cboFrequencyIndex;
  if (index == kCustomBandIndex) {
    CustomFre::Show(ctx);  // OK sets the limits, Cancel keeps them
  } else {
    if (index < 0 || index >= kBandPresetCount) raiseError(ErrBounds, QStringLiteral("band list index %1").arg(index));
    const BandPreset& p = kBandPresets[static_cast<size_t>(index)];
    setLimits(ctx, p.lower, p.upper);
  }
  ctx.band.BandIndex = index;
  writeBandBytes(ctx);
  const bool nested = std::exchange(b.applyingBand, true);
  SoftDisplay(ctx);
  b.applyingBand = nested;
}

void cboFrequency_Click(AppContext& ctx) {
  guarded(ctx.log, "frmChMem->cboFrequency_Click", [&] { applyChosenBand(ctx); });
}

void selectBandOfImage(AppContext& ctx) {
  // Reports nothing: an image whose band cannot be read gets the widest band.
  BandChoice& b = ctx.bandChoice;
  b.BandAutoSel = true;
  try {
    const BandLimits edges = decodeBandBytes(ctx.IicDat);
    const int16_t index = presetIndexOf(edges.lower, edges.upper);
    if (index == kCustomBandIndex && !b.applyingBand) {
      // A range of its own always goes through the custom range dialog, which proposes
      // it, even when the list already stands on "Custom" (with another range, perhaps).
      b.proposedRange = edges;
      if (b.cboFrequencyIndex == kCustomBandIndex)
        cboFrequency_Click(ctx);
      else
        cboFrequencySelect(ctx, index);
      b.proposedRange.reset();
    } else {
      cboFrequencySelect(ctx, index);
    }
  } catch (...) {
    b.proposedRange.reset();
    setLimits(ctx, kFallbackLowerLimit, kFallbackUpperLimit);
    try {
      cboFrequencySelect(ctx, kCustomBandIndex);
    } catch (...) {
      // no list to select in (the settings window is not loaded)
    }
    b.BandAutoSel = false;
    return;
  }
  ctx.band.BandIndex = b.cboFrequencyIndex;
  b.BandAutoSel = false;
}

void ModelRangeSol(AppContext& ctx) { selectBandOfImage(ctx); }

namespace CustomFre {

void Form_Load(AppContext& ctx) {
  guarded(ctx.log, "frmCustomFre->Form_Load", [&] { InitFace(ctx); });
}

void fillCustomRangeForm(AppContext& ctx) {
  BandChoice& b = ctx.bandChoice;
  CustomRangeForm& f = b.frmCustomFre;
  f.caption = ctx.text(kTextCustomRangeTitle);
  f.lblFreMin = ctx.text(kTextCustomMin);
  f.lblFreMax = ctx.text(kTextCustomMax);
  f.cmdOk = ctx.text(kTextCustomOk);
  f.cmdCancel = ctx.text(kTextCustomCancel);
  f.font = ctx.st.CurFont;
  if (b.strFreMin.isEmpty()) b.strFreMin = QStringLiteral("120");
  if (b.strFreMax.isEmpty()) b.strFreMax = QStringLiteral("520");
  f.texts = {b.strFreMin, b.strFreMax};
  // A new image's own range (whole MHz, the upper one the true edge) comes first.
  if (const std::optional<BandLimits>& r = b.proposedRange)
    f.texts = {frequencyText(r->lower), frequencyText(r->upper)};
}

void InitFace(AppContext& ctx) {
  guarded(ctx.log, "frmCustomFre->InitFace", [&] { fillCustomRangeForm(ctx); });
}

void acceptCustomRange(AppContext& ctx, const CustomRangeTexts& texts) {
  BandChoice& b = ctx.bandChoice;
  b.frmCustomFre.texts = texts;
  // Declining keeps the channel data; the typed range is applied either way.
  if (confirmDataReset(ctx)) resetToTemplate(ctx);

  // Both numeric, 120-520 MHz, min <= max; anything else (a number too large to convert
  // included) silently becomes 120-520 MHz.
  if (const std::optional<BandLimits> range = customRangeFromTexts(texts.min, texts.max)) {
    setLimits(ctx, range->lower, range->upper);
    b.strFreMin = texts.min;
    b.strFreMax = texts.max;
  } else {
    setLimits(ctx, kFallbackLowerLimit, kFallbackUpperLimit);
    b.frmCustomFre.texts = {QStringLiteral("120"), QStringLiteral("520")};
    b.strFreMin = b.frmCustomFre.texts.min;
    b.strFreMax = b.frmCustomFre.texts.max;
  }
}

void cmdOk_Click(AppContext& ctx, const CustomRangeTexts& texts) { acceptCustomRange(ctx, texts); }

void cmdCancel_Click(AppContext&) {
  // The dialog has closed; the limits, the boxes and strFreMin/strFreMax stay as they were.
}

void Show(AppContext& ctx) {
  Form_Load(ctx);
  if (const std::optional<CustomRangeTexts> ok = ctx.dialogs.customRange(ctx.bandChoice.frmCustomFre))
    cmdOk_Click(ctx, *ok);
  else
    cmdCancel_Click(ctx);
}

}  // namespace CustomFre

}  // namespace k52
