#pragma once
// Channels as rows of text, for the clipboard: the columns of the channel list that radio
// owners exchange as CSV (tab-separated here, so a spreadsheet takes them), and the
// program's own lossless form. A row that the radio cannot hold as it stands comes back
// with what is wrong with it; nothing is changed silently.

#include "core/configuration.h"
#include "core/tables.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace k52 {

// The exchanged channel list's columns, in their order.
QStringList channelCsvHeader();

// What turning a channel into text and back needs of the program's tables.
struct ChannelTexts {
  const ToneList& tones;
  const CharTable& chars;
  QStringList powerNames;  // the grid's texts of power 0, 1, 2
  BandLimits band;         // frequencies outside it are refused
};

// What a row could not give the radio.
enum class RowFault : uint8_t {
  Frequency,  // no number, off the 5 kHz and 12.5 kHz rasters, or outside the band
  Tone,       // a tone or DCS code the radio's lists do not hold
  NameChars,  // characters the radio cannot show (left out; the rest is kept)
};
struct RowProblem {
  RowFault fault;
  QString column;  // the column the value came from
  QString value;   // the value, or the characters left out
};

// One channel as the exchanged columns (channelCsvHeader's order), numbered `location`.
QStringList channelToCsvRow(const Channel& ch, int location, const ChannelTexts& t);

// A row read under `header` (any column order; missing optional columns take their
// defaults). No channel when it has a fault other than NameChars.
struct ParsedRow {
  std::optional<int> location;
  std::optional<Channel> channel;
  std::vector<RowProblem> problems;
};
ParsedRow channelFromCsvRow(const QStringList& header, const QStringList& fields, const ChannelTexts& t);

// The program's own form: every field as the tables hold it, one channel per line, with the
// channel number first. Lines that are not of this form are skipped.
QString channelsToOwnText(const std::vector<std::pair<int, Channel>>& channels);
std::vector<std::pair<int, Channel>> channelsFromOwnText(const QString& text);

// The clipboard's text: header then one tab-separated row per channel; and back, rows of a
// spreadsheet included (a first line without "Frequency" is a row like the others, read
// under the exchanged header).
QString channelsToTabText(const std::vector<std::pair<int, Channel>>& channels, const ChannelTexts& t);
std::vector<ParsedRow> channelsFromTabText(const QString& text, const ChannelTexts& t);

}  // namespace k52
