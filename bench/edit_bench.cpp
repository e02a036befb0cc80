// Editing speed of the channel grid on the real Qt table (offscreen), with the settings
// window's event wiring:
//  - the Enter that leaves the RX cell of an empty channel, to the channel being complete
//    (snapped, TX = RX, tones and options at their defaults, the cursor on column 5);
//  - ShowChTblGrid for every channel of the delivered table (199), each run from a blank grid.
// Prints median, 90th percentile and minimum over the runs, in milliseconds.
//
//   k52bench_edit [--iterations N] [--program-folder DIR]

#include "app/bandchoice.h"
#include "gui/qtchgridedit.h"
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
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace k52;

namespace {

struct Figures {
  double median, p90, min;
  int runs;
};

Figures summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front(), static_cast<int>(ms.size())};
}

void print(const char* what, const Figures& f) {
  std::printf("%-52s median %7.3f ms   p90 %7.3f ms   min %7.3f ms   (%d runs)\n", what, f.median, f.p90, f.min, f.runs);
}

double msSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  int iterations = 199;
  QString folder = QCoreApplication::applicationDirPath();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--iterations"))
      iterations = std::max(1, args[i + 1].toInt());
    else if (args[i] == QLatin1String("--program-folder"))
      folder = args[i + 1];
  }
  if (!QFileInfo(folder + QStringLiteral("/minglyc.dll")).isFile()) {
    std::fprintf(stderr, "k52bench_edit: no settings file in %s\n", qPrintable(folder));
    return 2;
  }

  ManualClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, folder);
  QWidget window;
  auto* grid = new QtGrid(&window);
  grid->resize(900, 600);
  window.resize(900, 600);
  ctx.setGridCh(grid);
  auto* wiring = new QtChGridEdit(ctx, grid, &window);
  (void)wiring;

  // The program as start-up leaves it: settings, tables, the channel tab set up, band 400-470.
  ReadSettings(ctx);
  GetValidCharTbl(ctx);
  OptNowDefSol(ctx, 0);
  ChInfoInitFace(ctx);
  GenCtdcsList(ctx);
  ReadChInfo(ctx);
  SetChGrid(ctx);
  InitChTable(ctx);
  InitTempArray(ctx);
  ChInfoModel(ctx);
  window.show();
  grid->setFocus();
  QApplication::processEvents();
  const int channels = ctx.ch.ChCount;
  std::printf("grid: %d rows x %d columns; band %d-%d (10 Hz); logical DPI %d\n", grid->rows() - 1, grid->cols() - 1,
              ctx.band.LowerLimit, ctx.band.UpperLimit, grid->logicalDpiX());

  // 1. The Enter that commits an RX frequency, to the completed row. Each run uses an empty
  //    channel: the editor is opened on its RX cell and holds the typed text, and the program
  //    is idle. The clock runs from the key to the moment the row is complete in the tables
  //    and the grid (the edit handler has returned), and on to the moment the event loop is
  //    idle again: the editor closed, the cursor on column 5, the table repainted.
  std::vector<double> commit, settled;
  int complete = 0;
  std::chrono::steady_clock::time_point t0, tDone;
  bool rowDone = false;
  int16_t n = 1;
  // Connected after the settings window's wiring, so it runs once the edit was handled.
  QObject::connect(grid, &QtGrid::afterEdit, grid, [&](int row, int col) {
    tDone = std::chrono::steady_clock::now();
    rowDone = row == n && col == 1 && ctx.ch.ChInfo(n, 2) == 43602500 && ctx.ch.ChInfo(n, 4) == ctx.ch.ChInfo(n, 3) &&
              grid->text(n, 2) == QStringLiteral("436.025") && !grid->text(n, 5).isEmpty();
  });
  for (int i = 0; i < iterations + 10; ++i) {
    n = static_cast<int16_t>(1 + i % std::max(1, channels - 1));
    rowDone = false;
    DelOneChannel(ctx, n);
    grid->select(n, 1);
    grid->startEdit();
    QLineEdit* editor = nullptr;
    for (auto* e : grid->viewport()->findChildren<QLineEdit*>())
      if (e->isVisible()) editor = e;
    if (!editor) {
      std::fprintf(stderr, "k52bench_edit: no editor opened on row %d\n", n);
      return 1;
    }
    editor->setText(QStringLiteral("436.0237"));
    QApplication::processEvents();  // the user types into an idle program
    t0 = std::chrono::steady_clock::now();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &release);
    QElapsedTimer guard;
    guard.start();
    while (!(ctx.ch.ChInfo(n, 2) == 43602500 && grid->col() == 5 && grid->currentIndex().column() == 4) &&
           guard.elapsed() < 1000)
      QApplication::processEvents();
    QApplication::processEvents();
    const double ms = msSince(t0);
    if (!rowDone) {
      std::fprintf(stderr, "k52bench_edit: row %d not completed\n", n);
      return 1;
    }
    ++complete;
    if (i >= 10) {  // the first runs warm up
      commit.push_back(std::chrono::duration<double, std::milli>(tDone - t0).count());
      settled.push_back(ms);
    }
  }
  print("Enter in the RX cell -> channel complete", summarise(commit));
  print("Enter in the RX cell -> idle again (incl. repaint)", summarise(settled));

  // 2. ShowChTblGrid for the full table, from a blank grid.
  fillTables(ctx);
  auto blankGrid = [&] {
    for (int r = 1; r < grid->rows(); ++r)
      for (int c = 1; c < grid->cols(); ++c) grid->setText(r, c, QString());
  };
  std::vector<double> show, showPaint;
  for (int i = 0; i < iterations + 10; ++i) {
    blankGrid();
    auto s0 = std::chrono::steady_clock::now();
    ShowChTblGrid(ctx);
    const double ms = msSince(s0);
    blankGrid();
    s0 = std::chrono::steady_clock::now();
    ShowChTblGrid(ctx);
    (void)grid->grab();  // the offscreen window is not exposed: render the visible table
    const double msPaint = msSince(s0);
    if (i >= 10) {
      show.push_back(ms);
      showPaint.push_back(msPaint);
    }
  }
  int shown = 0;
  for (int r = 1; r < grid->rows(); ++r) shown += !grid->text(r, 1).isEmpty();
  std::printf("%d channels shown\n", shown);
  print("ShowChTblGrid, full table", summarise(show));
  print("ShowChTblGrid + painting the visible grid", summarise(showPaint));
  if (ctx.log.entriesLogged() != 0) std::printf("error log entries: %d\n", ctx.log.entriesLogged());
  return complete > 0 && shown > 0 ? 0 : 1;
}
