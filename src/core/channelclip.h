#pragma once
// Channels on the clipboard in the program's own lossless form (the rows a spreadsheet
// takes are the CSV export's, tab-separated: core/channelcsv).

#include "core/configuration.h"

#include <QString>
#include <utility>
#include <vector>

namespace k52 {

// The program's own form: every field as the tables hold it, one channel per line, with the
// channel number first. Lines that are not of this form are skipped.
QString channelsToOwnText(const std::vector<std::pair<int, Channel>>& channels);
std::vector<std::pair<int, Channel>> channelsFromOwnText(const QString& text);

}  // namespace k52
