// Time of the channel grid's refresh on the real Qt table (offscreen): SoftDisplay after a
// new image (band, decode, grid, options) and ShowChTblGrid alone, for an image with every
// channel of the delivered channel table set (199 with the delivered settings). Each run
// starts from a blank grid, as after a read from the radio. Prints median and minimum over
// the runs, in milliseconds.
//
//   k52bench_grid [--iterations N] [--program-folder DIR] [--shot FILE.png]

#include "app/bandchoice.h"
#include "app/charcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "gui/qtgrid.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace k52;

namespace {

// Every memory channel in the band, with both tones, the options and a name.
void fillTables(AppContext& ctx) {
  const int last = std::min<int>(ctx.ch.ChCount, 199);
  for (int n = 1; n <= last; ++n) {
    const int32_t rx = ctx.band.LowerLimit + 1250 * 25 * n;
    ctx.ch.ChInfo(n, 1) = rx;
    ctx.ch.ChInfo(n, 2) = rx + 500000;
    ctx.ch.ChInfo(n, 3) = 1 + n % 260;
    ctx.ch.ChInfo(n, 4) = 1 + (n * 37) % 260;
    ctx.ch.ChInfo(n, 5) = n % 2;
    ctx.ch.ChInfo(n, 6) = (n / 2) % 2;
    ctx.ch.ChInfo(n, 7) = n % 3;
    for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>((n + 7 * i) % 45);
  }
}

// Counts the paint events of the table's cell area, to show that the repaint really ran.
class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    count += e->type() == QEvent::Paint;
    return false;
  }
  int count = 0;
};

struct Figures {
  double median, min;
};

Figures measure(int iterations, const std::function<void()>& prepare, const std::function<void()>& body) {
  using Clock = std::chrono::steady_clock;
  for (int i = 0; i < std::max(3, iterations / 10); ++i) {  // warm-up
    prepare();
    body();
  }
  std::vector<double> ms;
  ms.reserve(static_cast<size_t>(iterations));
  for (int i = 0; i < iterations; ++i) {
    prepare();
    const auto t0 = Clock::now();
    body();
    const auto t1 = Clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front()};
}

void print(const char* what, const Figures& f) {
  std::printf("%-48s median %7.3f ms   min %7.3f ms\n", what, f.median, f.min);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  int iterations = 200;
  QString folder = QCoreApplication::applicationDirPath();
  QString shot;
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--iterations"))
      iterations = std::max(1, args[i + 1].toInt());
    else if (args[i] == QLatin1String("--program-folder"))
      folder = args[i + 1];
    else if (args[i] == QLatin1String("--shot"))
      shot = args[i + 1];
  }
  if (!QFileInfo(folder + QStringLiteral("/minglyc.dll")).isFile()) {
    std::fprintf(stderr, "k52bench_grid: no settings file in %s\n", qPrintable(folder));
    return 2;
  }

  ManualClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, folder);
  QtGrid grid;
  grid.resize(900, 600);
  grid.show();
  ctx.setGridCh(&grid);

  // The program as start-up leaves it: settings, tables, the channel tab set up.
  ReadSettings(ctx);
  GetValidCharTbl(ctx);
  OptNowDefSol(ctx, 0);
  for (int i = 1; i <= ctx.opt.OptCount && i <= kOptEntries; ++i) ctx.opt.OptSel(i) = ctx.opt.OptDef(i);
  ChInfoInitFace(ctx);
  GenCtdcsList(ctx);
  ReadChInfo(ctx);
  SetChGrid(ctx);
  InitChTable(ctx);
  InitTempArray(ctx);
  ChInfoModel(ctx);
  fillTables(ctx);
  SetConvIicDat(ctx);
  const MemoryImage full = ctx.IicDat;

  auto blankGrid = [&] {
    for (int r = 1; r < grid.rows(); ++r)
      for (int c = 1; c < grid.cols(); ++c) grid.setText(r, c, QString());
  };
  auto newImage = [&] {
    ctx.IicDat = full;
    ctx.ch.ChInfo.fill(-1);
    blankGrid();
  };

  // The grid must really show a full table, or the figures mean nothing.
  newImage();
  SoftDisplay(ctx);
  int shown = 0, named = 0;
  for (int r = 1; r < grid.rows(); ++r) {
    shown += !grid.text(r, 1).isEmpty();
    named += !grid.text(r, 8).isEmpty();
  }
  std::printf("grid: %d rows x %d columns, %d channels shown, %d with names; band %s; %d error log entries\n",
              grid.rows() - 1, grid.cols() - 1, shown, named,
              qPrintable(ctx.bandChoice.cboFrequencyList.value(ctx.bandChoice.cboFrequencyIndex)),
              ctx.log.entriesLogged());
  std::printf("%d iterations each, logical DPI %d\n", iterations, grid.logicalDpiX());

  print("SoftDisplay (band, decode, grid, options)", measure(iterations, newImage, [&] { SoftDisplay(ctx); }));
  print("ShowChTblGrid", measure(iterations, blankGrid, [&] { ShowChTblGrid(ctx); }));
  // The offscreen window is never exposed, so a repaint would be skipped: render the whole
  // table (headers, visible rows) into a pixmap instead, which runs the same painting.
  PaintCounter paints;
  grid.viewport()->installEventFilter(&paints);
  print("ShowChTblGrid + painting the visible grid", measure(iterations, blankGrid, [&] {
          ShowChTblGrid(ctx);
          (void)grid.grab();
        }));
  grid.viewport()->removeEventFilter(&paints);
  std::printf("  (%d paint events of the cell area in %d runs)\n", paints.count,
              iterations + std::max(3, iterations / 10));
  print("ShowChTblGrid, texts unchanged", measure(iterations, [] {}, [&] { ShowChTblGrid(ctx); }));
  print("SetChGrid (channel tab set-up)", measure(std::max(1, iterations / 10), [] {}, [&] { SetChGrid(ctx); }));
  print("InitChTable (every cell selected and cleared)", measure(std::max(1, iterations / 10), [] {}, [&] {
          InitChTable(ctx);
        }));
  ctx.IicDat = full;
  ChInfoSaveSol(ctx, 1);
  ShowChTblGrid(ctx);

  if (!shot.isEmpty()) {
    grid.select(3, 2);
    grid.setCellForeColor(0x0000FF);
    grid.setRangeBackColor(5, 1, 5, grid.cols() - 1, 0xF0E6E6);
    if (!grid.grab().save(shot)) std::fprintf(stderr, "k52bench_grid: cannot write %s\n", qPrintable(shot));
  }
  if (ctx.log.entriesLogged() != 0) std::printf("error log entries: %d\n", ctx.log.entriesLogged());
  return shown > 0 ? 0 : 1;
}
