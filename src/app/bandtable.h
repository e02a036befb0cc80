#pragma once
// The band the program holds: the band list's selection, and the band the program settles
// on when it takes over a new image (after a read, an open, or in the command-line companion).

#include "core/bandpresets.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace k52 {

class MemoryImage;
struct AppContext;

// Writes the band bytes of ctx.band's limits into the image.
void writeBandBytes(AppContext& ctx);

// What the custom range dialog ended with when the band list switched to "Custom":
// the limits it set, or std::nullopt when it was cancelled.
using CustomRangeAnswer = std::function<std::optional<BandLimits>()>;

// The custom range dialog of a freshly started program, accepted unchanged ("120" and
// "520") without clearing the data.
std::optional<BandLimits> customRangeAcceptedUnchanged();

// The band list's selection event for a band chosen by the program itself (no question,
// no reset): the limits of the preset (or of the custom dialog for index 11), BandIndex,
// and the band bytes rewritten. Reports under "frmChMem->cboFrequency_Click".
void applyBandSelection(AppContext& ctx, int16_t index, const CustomRangeAnswer& custom);

// The band follows a new image (ModelRangeSol): the band bytes select a preset, or the
// custom range when none matches or they cannot be read (limits 120-520 MHz first). A
// change of the selected index runs the selection event, whose rewritten bytes are read
// once more, until the selection stays where it is. ctx.band.BandIndex stands for the
// list's current selection: selecting the index already selected changes nothing.
void SelectBandFromImage(AppContext& ctx, const CustomRangeAnswer& custom);
// The same, with the custom range dialog accepted unchanged.
void SelectBandFromImage(AppContext& ctx);

}  // namespace k52
