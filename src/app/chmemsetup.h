#pragma once
// The settings window's channel tab set-up, run once at start-up.

namespace k52 {

struct AppContext;

// Grid colour, tone lists, column description, grid shape, channel table; then the grid's
// background and selection colours are kept for the channel-interface lock.
void InitChMem(AppContext& ctx);

}  // namespace k52
