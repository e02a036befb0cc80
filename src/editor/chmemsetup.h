#pragma once
// The settings window's channel tab set-up, run once at start-up.

namespace k52 {

struct AppContext;

// Grid colour, tone lists, column description, grid shape, channel table.
void InitChMem(AppContext& ctx);

}  // namespace k52
