#include "app/confighistory.h"

#include "app/chgrid.h"
#include "app/appcontext.h"
#include "app/session.h"

namespace k52 {

TableRow tableRow(const AppContext& ctx, int n) {
  TableRow r;
  for (int f = 0; f <= kChFields; ++f) r.info[static_cast<size_t>(f)] = ctx.ch.ChInfo(n, f);
  for (int i = 0; i < kNameLength; ++i) r.name[static_cast<size_t>(i)] = ctx.ch.ChNameCode(n, i);
  return r;
}

void setTableRow(AppContext& ctx, int n, const TableRow& row) {
  for (int f = 0; f <= kChFields; ++f) ctx.ch.ChInfo(n, f) = row.info[static_cast<size_t>(f)];
  for (int i = 0; i < kNameLength; ++i) ctx.ch.ChNameCode(n, i) = row.name[static_cast<size_t>(i)];
}

ConfigState captureConfig(const AppContext& ctx) {
  ConfigState s;
  s.rows.reserve(static_cast<size_t>(ctx.ch.ChCount));
  for (int n = 1; n <= ctx.ch.ChCount; ++n) s.rows.push_back(tableRow(ctx, n));
  for (int i = 1; i <= kOptEntries; ++i) s.options[static_cast<size_t>(i - 1)] = ctx.opt.OptSel(i);
  s.band = {ctx.band.LowerLimit, ctx.band.UpperLimit, ctx.band.BandIndex, ctx.bandChoice.cboFrequencyIndex};
  s.image = ctx.IicDat.toByteArray();
  s.fileName = ctx.st.CurDataFile;
  return s;
}

ConfigDelta diffConfig(const ConfigState& a, const ConfigState& b) {
  ConfigDelta d;
  const size_t rows = std::min(a.rows.size(), b.rows.size());
  for (size_t i = 0; i < rows; ++i)
    if (!(a.rows[i] == b.rows[i])) {
      d.rows.push_back(static_cast<int>(i) + 1);
      d.rowChanges.push_back({a.rows[i], b.rows[i]});
    }
  if (a.options != b.options) d.options = {{a.options, b.options}};
  if (!(a.band == b.band)) d.band = {{a.band, b.band}};
  if (a.image != b.image) d.image = {{a.image, b.image}};
  if (a.fileName != b.fileName) d.fileName = {{a.fileName, b.fileName}};
  return d;
}

void applyConfigDelta(AppContext& ctx, const ConfigDelta& d, bool undo) {
  for (size_t i = 0; i < d.rows.size(); ++i)
    if (d.rows[i] <= ctx.ch.ChCount) setTableRow(ctx, d.rows[i], undo ? d.rowChanges[i].before : d.rowChanges[i].after);
  if (d.options) {
    const auto& o = undo ? d.options->before : d.options->after;
    for (int i = 1; i <= kOptEntries; ++i) ctx.opt.OptSel(i) = o[static_cast<size_t>(i - 1)];
    ctx.views->showOptions();
  }
  if (d.band) {
    const BandState& b = undo ? d.band->before : d.band->after;
    ctx.band.LowerLimit = b.lower;
    ctx.band.UpperLimit = b.upper;
    ctx.band.BandIndex = b.index;
    // The list shows the band again without its selection event (no question, no reset).
    ctx.bandChoice.cboFrequencyIndex = b.listIndex;
    if (ctx.bandChoice.view) ctx.bandChoice.view->showBandList(ctx.bandChoice.cboFrequencyList, b.listIndex);
  }
  if (d.image) {
    ctx.IicDat.assignFrom(undo ? d.image->before : d.image->after);
    ctx.views->memoryImageReplaced();
  }
  if (d.fileName) {
    const QString& from = undo ? d.fileName->after : d.fileName->before;
    // A name the file got since (Save As) stays: the configuration goes there now.
    if (ctx.st.CurDataFile == from) {
      ctx.st.CurDataFile = undo ? d.fileName->before : d.fileName->after;
      ShowCurDataFile(ctx);
    }
  }
  if (!d.rows.empty() || d.band) ShowChTblGrid(ctx);
}

}  // namespace k52
