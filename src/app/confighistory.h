#pragma once
// What undo and redo work on: the configuration as the user edits it (every channel row of
// the tables, the option selections with the FM stations and the power-on message, the band
// and the memory image), taken as a whole, the difference between two such states, and
// putting either side of a difference back. The undo stack (app/configundo) holds the
// differences; only the rows that changed are kept.

#include "core/configuration.h"
#include "core/tables.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace k52 {

struct AppContext;

// One channel row as the tables hold it.
struct TableRow {
  std::array<int32_t, kChFields + 1> info{};
  NameCodes name{};
  bool operator==(const TableRow&) const = default;
};

struct BandState {
  int32_t lower = 0, upper = 0;
  int16_t index = 0, listIndex = -1;
  bool operator==(const BandState&) const = default;
};

struct ConfigState {
  std::vector<TableRow> rows;  // channel 1 first
  std::array<int16_t, kOptEntries> options{};
  BandState band;
  QByteArray image;
  QString fileName;  // a band change starts over under the default name
};

ConfigState captureConfig(const AppContext& ctx);
TableRow tableRow(const AppContext& ctx, int n);
void setTableRow(AppContext& ctx, int n, const TableRow& row);

template <class T>
struct Change {
  T before, after;
};
struct ConfigDelta {
  std::vector<int> rows;  // channels that changed
  std::vector<Change<TableRow>> rowChanges;
  std::optional<Change<std::array<int16_t, kOptEntries>>> options;
  std::optional<Change<BandState>> band;
  std::optional<Change<QByteArray>> image;
  std::optional<Change<QString>> fileName;
  // A new file name alone is no edit.
  bool empty() const { return rows.empty() && !options && !band && !image; }
};
ConfigDelta diffConfig(const ConfigState& before, const ConfigState& after);

// Puts the before (undo) or after side of delta into the tables and the image, and shows it.
void applyConfigDelta(AppContext& ctx, const ConfigDelta& delta, bool undo);

}  // namespace k52
