#include "app/channelrows.h"

#include "app/confighistory.h"
#include "app/chgridedit.h"
#include "app/chpopmenu.h"
#include "core/addressmap.h"
#include "app/charcodec.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "core/numbers.h"
#include "app/appcontext.h"

#include <algorithm>

namespace k52 {

namespace {

// A channel with everything that belongs to it.
struct WholeRow {
  TableRow table;
  QByteArray record, extension;
};

WholeRow takeRow(const AppContext& ctx, int n) {
  const QByteArray image = ctx.IicDat.toByteArray();
  return {tableRow(ctx, n), image.mid(addr::channelRecord(n), addr::kChannelRecordSize),
          image.mid(addr::nameExtension(n), addr::kNameExtensionSize)};
}

void putRow(AppContext& ctx, int n, const WholeRow& row) {
  setTableRow(ctx, n, row.table);
  for (int i = 0; i < addr::kChannelRecordSize; ++i)
    ctx.IicDat.at(addr::channelRecord(n) + i) = static_cast<uint8_t>(row.record.at(i));
  for (int i = 0; i < addr::kNameExtensionSize; ++i)
    ctx.IicDat.at(addr::nameExtension(n) + i) = static_cast<uint8_t>(row.extension.at(i));
  ctx.ch.ChInfo(n, kFieldEdited) = 1;
}

WholeRow emptyRow() {
  WholeRow r;
  r.table.info.fill(-1);
  r.table.info[kFieldEdited] = 1;
  r.table.name.fill(kNoNameChar);
  r.record = QByteArray(addr::kChannelRecordSize, char(0xFF));
  r.extension = QByteArray(addr::kNameExtensionSize, char(0xFF));
  return r;
}

bool isEmpty(const AppContext& ctx, int n) { return ctx.ch.ChInfo(n, kFieldRx) == -1; }

void channelIntoTables(AppContext& ctx, int n, const Channel& ch) {
  ChannelTable& t = ctx.ch;
  t.ChInfo(n, kFieldEdited) = 1;
  t.ChInfo(n, kFieldRx) = ch.rx;
  t.ChInfo(n, kFieldTx) = ch.tx;
  t.ChInfo(n, kFieldDecode) = ch.decodeTone;
  t.ChInfo(n, kFieldEncode) = ch.tx == -1 ? -1 : ch.encodeTone;
  t.ChInfo(n, kFieldOption5) = ch.narrow ? 1 : 0;
  t.ChInfo(n, kFieldOption6) = ch.scanAdd ? 1 : 0;
  t.ChInfo(n, kFieldOption7) = static_cast<int32_t>(ch.power);
  // Columns past the radio's fields start from their defaults, as a new channel does.
  for (int c = kFieldName + 1; c <= t.ColCount && c <= kChFields; ++c)
    if (t.ChInfo(n, c) == -1) t.ChInfo(n, c) = textToInt32(t.ColItems(c, 2));
  for (int i = 0; i < kNameLength; ++i) t.ChNameCode(n, i) = ch.name[static_cast<size_t>(i)];
}

}  // namespace

std::vector<int> memoryRows(const AppContext& ctx) {
  std::vector<int> rows;
  for (int n = 1; n <= ctx.ch.ChCount; ++n)
    if (n != kVfoRow) rows.push_back(n);
  return rows;
}

std::vector<std::pair<int, Channel>> channelsOfRows(const AppContext& ctx, const std::vector<int>& rows) {
  std::vector<std::pair<int, Channel>> out;
  for (const int n : rows)
    if (n >= 1 && n <= ctx.ch.ChCount && n != kVfoRow) out.emplace_back(n, channelFromTables(ctx, n));
  return out;
}

std::vector<int> pasteChannels(AppContext& ctx, int start, const std::vector<std::pair<int, Channel>>& channels,
                               std::vector<int>& written) {
  const std::vector<int> mem = memoryRows(ctx);
  const auto at = std::find(mem.begin(), mem.end(), start);
  std::vector<int> refused;
  if (channels.empty()) return refused;
  const int first = channels.front().first;
  for (const auto& [number, ch] : channels) {
    const auto offset = static_cast<int64_t>(number) - first;
    const int64_t pos = (at - mem.begin()) + offset;
    if (at == mem.end() || offset < 0 || pos >= static_cast<int64_t>(mem.size())) {
      refused.push_back(number);
      continue;
    }
    const int n = mem[static_cast<size_t>(pos)];
    if (ch.empty())
      deleteChannel(ctx, n);
    else
      channelIntoTables(ctx, n, ch);
    written.push_back(n);
  }
  ShowChTblGrid(ctx);
  return refused;
}

void deleteRows(AppContext& ctx, const std::vector<int>& rows) {
  for (const int n : rows)
    if (n >= 1 && n <= ctx.ch.ChCount) deleteChannel(ctx, n);
}

bool insertEmptyRow(AppContext& ctx, int row) {
  const std::vector<int> mem = memoryRows(ctx);
  const auto from = std::find(mem.begin(), mem.end(), row);
  if (from == mem.end()) return false;
  auto gap = std::find_if(from, mem.end(), [&](int n) { return isEmpty(ctx, n); });
  if (gap == mem.end()) return false;
  for (auto it = gap; it != from; --it) putRow(ctx, *it, takeRow(ctx, *(it - 1)));
  putRow(ctx, row, emptyRow());
  ShowChTblGrid(ctx);
  return true;
}

std::vector<int> moveRows(AppContext& ctx, const std::vector<int>& rows, int delta) {
  const std::vector<int> mem = memoryRows(ctx);
  std::vector<size_t> pos;
  for (const int n : rows)
    if (const auto it = std::find(mem.begin(), mem.end(), n); it != mem.end()) pos.push_back(static_cast<size_t>(it - mem.begin()));
  std::sort(pos.begin(), pos.end());
  pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
  if (pos.empty() || (delta < 0 && pos.front() == 0) || (delta > 0 && pos.back() + 1 >= mem.size())) return rows;
  // Each selected row swaps with its neighbour in the direction of the move; the rows are
  // taken in that direction so a block moves as one.
  if (delta > 0) std::reverse(pos.begin(), pos.end());
  std::vector<int> moved;
  for (size_t& p : pos) {
    const size_t q = delta < 0 ? p - 1 : p + 1;
    const WholeRow a = takeRow(ctx, mem[p]), b = takeRow(ctx, mem[q]);
    putRow(ctx, mem[q], a);
    putRow(ctx, mem[p], b);
    moved.push_back(mem[q]);
  }
  std::sort(moved.begin(), moved.end());
  ShowChTblGrid(ctx);
  return moved;
}

void sortChannels(AppContext& ctx, SortKey key) {
  const std::vector<int> mem = memoryRows(ctx);
  std::vector<WholeRow> all;
  std::vector<QString> names;
  for (const int n : mem) all.push_back(takeRow(ctx, n));
  std::vector<size_t> order(all.size());
  for (size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
    names.push_back(channelNameText(ctx, static_cast<int16_t>(mem[i])));
  }
  auto empty = [&](size_t i) { return all[i].table.info[kFieldRx] == -1; };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (empty(a) != empty(b)) return empty(b);
    if (empty(a)) return false;
    if (key == SortKey::Name) return names[a] < names[b];
    return all[a].table.info[kFieldRx] < all[b].table.info[kFieldRx];
  });
  for (size_t i = 0; i < mem.size(); ++i) putRow(ctx, mem[i], all[order[i]]);
  ShowChTblGrid(ctx);
}

}  // namespace k52
