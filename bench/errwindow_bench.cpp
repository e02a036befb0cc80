// Time until the error window "Notice" shows a burst of log entries (offscreen): N entries
// logged one after the other, then the events run until the window has caught up, with the
// last entry selected and scrolled into view. Each entry is two lines (time and text).
// Prints the time for 1,000 and 10,000 entries, in milliseconds (best of the runs).
//
//   k52bench_errwindow [--runs N]

#include "core/errorlog.h"
#include "gui/frmShowErr.h"
#include "core/clock.h"

#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace k52;

namespace {

double showEntries(int entries) {
  ManualClock clock;
  ErrorLog log(clock);
  frmShowErr window(log);
  window.resize(800, 300);
  window.show();
  QApplication::processEvents();
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < entries; ++i)
    log.LogError(QStringLiteral("modChMem->IicDatToChInfo"), 9, QStringLiteral("entry %1").arg(i));
  QApplication::processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  QListWidget* list = window.listShowErr();
  const int last = list->count() - 1;
  if (list->count() != 2 * entries || list->currentRow() != last ||
      !list->viewport()->rect().intersects(list->visualItemRect(list->item(last))))
    std::printf("  (the window did not show the last entry: %d lines, row %d selected)\n", list->count(), list->currentRow());
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int runs = 3;
  const QStringList args = QApplication::arguments();
  if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i > 0 && i + 1 < args.size())
    runs = std::max(1, args[i + 1].toInt());
  std::printf("error window: %s platform, best of %d runs\n", qPrintable(QApplication::platformName()), runs);
  for (int entries : {1000, 10000}) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) best = std::min(best, showEntries(entries));
    std::printf("%6d entries (%6d lines) shown in %10.1f ms\n", entries, 2 * entries, best);
    std::fflush(stdout);
  }
  return 0;
}
