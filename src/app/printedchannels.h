#pragma once
// The printed channel list: the channel grid as it stands, its columns and captions in the
// interface language, under a header that names the band, the data file and the time of
// printing. Print sends it through the print preview, or into a PDF file where no printer
// is installed.

#include "core/printedtable.h"

namespace k52 {

struct AppContext;

// Every channel that is set, as the grid shows it (row label first; a frequency outside
// the band in the grid's warning colour).
PrintedTable printedChannelList(AppContext& ctx);

// Print of the channel table: an edit still being typed is taken first. A printer that
// fails is logged and the user told; a cancelled dialog prints nothing.
void PrintChannelList(AppContext& ctx);

}  // namespace k52
