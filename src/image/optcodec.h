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

// Mode 0: load defaults and stored selections from section "Option"; mode 2: reset the
// selections to the defaults and store them.
void OptNowDefSol(AppContext& ctx, int16_t mode);
// 0: OptSel -> image, 1: image -> OptSel; anything else does nothing.
void OptSelSaveSol(AppContext& ctx, int16_t direction);
void OptSelToSave(AppContext& ctx);
void SaveToOptSel(AppContext& ctx);

}  // namespace k52
