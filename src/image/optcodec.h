#pragma once
// The optional-features codec: OptSel <-> the option area, FM stations and band bytes.

#include <cstdint>

namespace k52 {

struct AppContext;

// Mode 0: load defaults and stored selections from section "Option"; mode 2: reset the
// selections to the defaults and store them.
void OptNowDefSol(AppContext& ctx, int16_t mode);
// 0: OptSel -> image, 1: image -> OptSel; anything else does nothing.
void OptSelSaveSol(AppContext& ctx, int16_t direction);
void OptSelToSave(AppContext& ctx);
void SaveToOptSel(AppContext& ctx);

}  // namespace k52
