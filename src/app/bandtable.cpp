#include "app/bandtable.h"

#include "core/guarded.h"
#include "core/addressmap.h"
#include "core/byteview.h"
#include "core/memoryimage.h"
#include "core/numbers.h"
#include "app/appcontext.h"

namespace k52 {

void writeBandBytes(AppContext& ctx) {
  const auto bytes = encodeBandBytes(ctx.band.LowerLimit, ctx.band.UpperLimit);
  for (int i = 0; i < addr::kBandSize; ++i) ctx.IicDat.at(addr::kBand + i) = bytes[static_cast<size_t>(i)];
}

std::optional<BandLimits> customRangeAcceptedUnchanged() {
  return customRangeFromTexts(QStringLiteral("120"), QStringLiteral("520"));
}

void applyBandSelection(AppContext& ctx, int16_t index, const CustomRangeAnswer& custom) {
  guarded(ctx.log, "frmChMem->cboFrequency_Click", [&] {
    if (index >= 0 && index < kBandPresetCount) {
      const BandPreset& p = kBandPresets[static_cast<size_t>(index)];
      ctx.band.LowerLimit = p.lower;
      ctx.band.UpperLimit = p.upper;
    } else if (index == kCustomBandIndex) {
      // Cancelling the dialog keeps the limits of the band before.
      if (const auto range = custom ? custom() : std::nullopt) {
        ctx.band.LowerLimit = range->lower;
        ctx.band.UpperLimit = range->upper;
      }
    } else {
      raiseError(ErrBounds, QStringLiteral("band list index %1").arg(index));
    }
    ctx.band.BandIndex = index;
    writeBandBytes(ctx);
  });
}

void SelectBandFromImage(AppContext& ctx, const CustomRangeAnswer& custom) {
  // Each selection event rewrites the band bytes, and the refresh that follows reads them
  // again. A preset's own bytes select that preset, so this settles after the custom
  // range at the latest; the bound only guards against a selection event that fails.
  for (int round = 0; round < 8; ++round) {
    int16_t index = kCustomBandIndex;
    try {
      index = bandIndexOfImage(ctx.IicDat);
    } catch (...) {
      ctx.band.LowerLimit = kFallbackLowerLimit;
      ctx.band.UpperLimit = kFallbackUpperLimit;
      index = kCustomBandIndex;
    }
    if (index == ctx.band.BandIndex) return;  // the list stays where it is: no event
    applyBandSelection(ctx, index, custom);
  }
}

void SelectBandFromImage(AppContext& ctx) { SelectBandFromImage(ctx, customRangeAcceptedUnchanged); }

}  // namespace k52
