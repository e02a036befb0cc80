#include "app/printedchannels.h"

#include "core/guarded.h"
#include "app/bandtable.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "core/clock.h"
#include "core/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace k52 {

namespace {

// "File Name:" and the value; a label without a colon of its own gets one. The Chinese
// full-width colon carries its own space.
QString labelled(const QString& label, const QString& value) {
  if (label.endsWith(QChar(0xFF1A))) return label + value;
  return label + (label.endsWith(QLatin1Char(':')) ? QStringLiteral(" ") : QStringLiteral(": ")) + value;
}

// The band as the band list names it; a custom range by its edges.
QString bandText(const AppContext& ctx) {
  const BandChoice& b = ctx.bandChoice;
  const bool preset = b.cboFrequencyIndex >= 0 && b.cboFrequencyIndex < kBandPresetCount && b.cboFrequencyIndex < b.cboFrequencyList.size();
  if (preset) return b.cboFrequencyList[b.cboFrequencyIndex];
  return QStringLiteral("%1 - %2 MHz").arg(frequencyText(ctx.band.LowerLimit), frequencyText(ctx.band.UpperLimit + kUpperEdgeMargin));
}

}  // namespace

PrintedTable printedChannelList(AppContext& ctx) {
  const Grid& g = ctx.gridCh();
  PrintedTable t;
  t.title = ctx.text(kTextChannelInformation);  // "Channel Information"
  t.header << labelled(ctx.text(kTextFrequencyRange), bandText(ctx))
           << labelled(ctx.text(kTextFileNameLabel), QDir::toNativeSeparators(ctx.st.CurDataFile))
           << labelled(ctx.text(kTextTimeLabel), ctx.clock.now().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
  t.pageFoot = ctx.text(kTextPageOf);
  t.fontFamily = ctx.st.CurFont;
  // Black on paper where the grid shows its normal colour; the warning colour stays.
  const QString def = ctx.st.DefColor;
  const uint32_t normal = colorValue(isNumeric(def) ? def : QString::fromLatin1(kDefaultDefColor));
  const auto ink = [&](int n, int c) { const uint32_t fore = g.cellForeColor(n, c); return fore == normal ? 0u : fore; };
  const int cols = std::min<int>(g.cols() - 1, ctx.ch.ColCount);
  for (int c = 0; c <= cols; ++c) t.captions << g.headerText(0, c);
  for (int n = 1; n <= ctx.ch.ChCount && n < g.rows(); ++n) {
    if (ctx.ch.ChInfo(n, kFieldRx) == -1) continue;
    std::vector<PrintedCell> row{{g.headerText(n, 0)}};
    for (int c = 1; c <= cols; ++c) row.push_back({g.displayText(n, c), ink(n, c)});
    t.rows.push_back(std::move(row));
  }
  return t;
}

void PrintChannelList(AppContext& ctx) {
  ctx.views->commitPendingEdits();
  const PrintedTable table = printedChannelList(ctx);
  QString pdf;
  if (!ctx.dialogs.printerInstalled()) {
    // Nothing to print on: the pages go into a PDF file, named after the data file.
    const QFileInfo data(ctx.st.CurDataFile);
    pdf = ctx.dialogs.saveFileName(QStringLiteral("PDF(*.pdf)|*.pdf"), data.dir().filePath(data.completeBaseName() + QStringLiteral(".pdf")),
                                   QStringLiteral("pdf"));
    if (pdf.isEmpty()) return;
  }
  if (!guarded(ctx.log, "mdifrmMain->mnuPrintFile_Click", [&] { ctx.dialogs.printTable(table, pdf); }))
    ctx.dialogs.messageBox(ctx.text(kTextPrintFailed), MsgButtons::Ok, MsgIcon::Critical, ctx.text(kTextNotice));
}

}  // namespace k52
