#pragma once
// The commands of the channel pop-up menu mnuPopMenuOne, on the channel r the menu was
// opened for (the right-clicked row, SelCh): fill it with the column defaults, keep it as
// the new defaults, delete it or every channel but the last row, and the lock. Each
// documented command (mnu..._Click) logs the failures of the plainly named step it runs.

#include <cstdint>

namespace k52 {

struct AppContext;
class ChGridMenus;

// "Open channel": every field of channel r from the column defaults ColItems(c, 2), in the
// grid and in ChInfo. A default that is not a number stops the command at its field; the
// fields before it stay filled.
void mnuOpenCh_Click(AppContext& ctx, int32_t r);
void fillChannelFromDefaults(AppContext& ctx, int32_t r);
// "Save as default": channel r's fields become the column defaults, for this run and in
// the settings file (section "ChInfo" of the current language).
void mnuSaveDef_Click(AppContext& ctx, int32_t r);
void storeChannelAsDefaults(AppContext& ctx, int32_t r);
// "Delete channel": empties channel r; the VFO row stays.
void mnuDelOne_Click(AppContext& ctx, int32_t r);
void deleteChannel(AppContext& ctx, int32_t r);
// "Delete all channels": asks first, then empties every channel, the VFO row's included.
void mnuDelAll_Click(AppContext& ctx);
void deleteAllChannels(AppContext& ctx);
// The lock item: locks or unlocks the channel interface.
void mnuPopChLock_Click(AppContext& ctx, ChGridMenus& menus);

}  // namespace k52
