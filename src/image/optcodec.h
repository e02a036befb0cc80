#pragma once
// The optional-features codec: OptSel <-> the option area, FM stations and band bytes.

#include <cstdint>

namespace k52 {

struct AppContext;

// OptSel entries with a fixed meaning outside the bit fields.
inline constexpr int kOptFmStation = 24;    // 24-48: FM stations 1-25, 100 kHz units, 0 = empty
inline constexpr int kOptPowerOnMsg = 50;   // 50-54: power-on message character codes
inline constexpr int16_t kFmLowest = 870;   // 87.0 MHz
inline constexpr int16_t kFmHighest = 1080; // 108.0 MHz

// What OptNowDefSol does: load the defaults and the stored selections from section
// "Option", or reset the selections to the defaults and store them.
enum OptionDefaultsMode : int16_t { kLoadOptionDefaults = 0, kResetOptionsToDefaults = 2 };
void OptNowDefSol(AppContext& ctx, int16_t mode);
// The way a table and the image are brought together (any other value does nothing).
enum CodecDirection : int16_t { kTablesToImage = 0, kImageToTables = 1 };
void OptSelSaveSol(AppContext& ctx, int16_t direction);
void OptSelToSave(AppContext& ctx);
void SaveToOptSel(AppContext& ctx);

}  // namespace k52
