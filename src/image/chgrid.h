#pragma once
// The channel grid's presentation: set-up from the column description, filling from the
// channel table, and the refresh after the image was replaced.

#include <cstdint>

namespace k52 {

struct AppContext;

void ChInfoInitFace(AppContext& ctx);
void SetChGrid(AppContext& ctx);
void ShowChTblGrid(AppContext& ctx);
void SoftDisplay(AppContext& ctx);

}  // namespace k52
