#pragma once
// Operations on rows of the channel table: copy rows out as channel values, paste channel
// values in, delete, insert an empty row, move, sort. A channel moves whole: its table row,
// its name (all five characters) and its record and name extension in the image, so that
// the bytes no field shows (the radio's own flag bits) go with it. The VFO row is no
// memory channel and takes part in none of them.

#include "core/configuration.h"

#include <utility>
#include <vector>

namespace k52 {

struct AppContext;

// The memory channels, in order (1 ... ChCount without the VFO row).
std::vector<int> memoryRows(const AppContext& ctx);

// The channels of rows, numbered as the grid numbers them.
std::vector<std::pair<int, Channel>> channelsOfRows(const AppContext& ctx, const std::vector<int>& rows);

// Channels into the table from row `start` on, each placed by its number relative to the
// first one's (consecutive when the numbers are consecutive). Channels for which no memory
// row is left are not placed; their numbers are returned. The rows written come back in rows.
std::vector<int> pasteChannels(AppContext& ctx, int start, const std::vector<std::pair<int, Channel>>& channels,
                               std::vector<int>& rows);

// Empties the rows (the VFO row stays).
void deleteRows(AppContext& ctx, const std::vector<int>& rows);
// An empty row at `row`; the channels from it down to the next empty row move one down.
// False (nothing changed) when no empty row follows.
bool insertEmptyRow(AppContext& ctx, int row);
// Moves the rows one place up (delta -1) or down (+1), past their unselected neighbours;
// returns where they are afterwards (unchanged when a row is already at the end).
std::vector<int> moveRows(AppContext& ctx, const std::vector<int>& rows, int delta);
// The programmed channels in order of RX frequency or of name (stable), the empty rows after them.
enum class SortKey { RxFrequency, Name };
void sortChannels(AppContext& ctx, SortKey key);

}  // namespace k52
