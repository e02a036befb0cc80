// Decode and encode times of a full configuration: every channel of the delivered channel
// table set (frequency, TX, both tones, the three channel options, a five-character name),
// every FM station set. Prints median and minimum over many runs, in microseconds.
//
//   k52bench_codec [--iterations N] [--program-folder DIR]

#include "app/bandtable.h"
#include "app/charcodec.h"
#include "app/chcodec.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/optcodec.h"
#include "app/appcontext.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace k52;

namespace {

void fillTables(AppContext& ctx) {
  for (int n = 1; n <= ctx.ch.ChCount; ++n) {
    const int32_t rx = ctx.band.LowerLimit + 25000 * n;  // 400.25 MHz upwards, 250 kHz apart
    ctx.ch.ChInfo(n, 1) = rx;
    ctx.ch.ChInfo(n, 2) = rx + 500000;
    ctx.ch.ChInfo(n, 3) = 1 + n % 260;
    ctx.ch.ChInfo(n, 4) = 1 + (n * 37) % 260;
    ctx.ch.ChInfo(n, 5) = n % 2;
    ctx.ch.ChInfo(n, 6) = (n / 2) % 2;
    ctx.ch.ChInfo(n, 7) = n % 3;
    for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>((n + 7 * i) % 45);
  }
  for (int k = 24; k <= 48; ++k) ctx.opt.OptSel(k) = static_cast<int16_t>(875 + 8 * (k - 24));
}

struct Figures {
  double median, min;
};

Figures measure(int iterations, const std::function<void()>& body) {
  using Clock = std::chrono::steady_clock;
  for (int i = 0; i < std::max(10, iterations / 20); ++i) body();  // warm-up
  std::vector<double> us;
  us.reserve(static_cast<size_t>(iterations));
  for (int i = 0; i < iterations; ++i) {
    const auto t0 = Clock::now();
    body();
    const auto t1 = Clock::now();
    us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us.front()};
}

void print(const char* what, const Figures& f) {
  std::printf("%-44s median %8.1f us   min %8.1f us\n", what, f.median, f.min);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  int iterations = 2000;
  QString folder = QCoreApplication::applicationDirPath();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--iterations"))
      iterations = std::max(1, args[i + 1].toInt());
    else if (args[i] == QLatin1String("--program-folder"))
      folder = args[i + 1];
  }
  if (!QFileInfo(folder + QStringLiteral("/minglyc.dll")).isFile()) {
    std::fprintf(stderr, "k52bench_codec: no settings file in %s\n", qPrintable(folder));
    return 2;
  }

  ManualClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, folder);
  ReadSettings(ctx);
  GetValidCharTbl(ctx);
  OptNowDefSol(ctx, 0);
  for (int i = 1; i <= ctx.opt.OptCount && i <= kOptEntries; ++i) ctx.opt.OptSel(i) = ctx.opt.OptDef(i);
  GenCtdcsList(ctx);
  ReadChInfo(ctx);
  applyBandSelection(ctx, kDefaultBandIndex, nullptr);
  InitTempArray(ctx);
  fillTables(ctx);
  SetConvIicDat(ctx);
  const MemoryImage full = ctx.IicDat;

  // The image must really hold a full table, or the figures mean nothing.
  ctx.ch.ChInfo.fill(-1);
  ChInfoSaveSol(ctx, 1);
  int valid = 0, named = 0, toned = 0;
  for (int n = 1; n <= ctx.ch.ChCount; ++n) {
    valid += ctx.ch.ChInfo(n, 1) != -1;
    named += ctx.ch.ChNameCode(n, 0) < 45;
    toned += ctx.ch.ChInfo(n, 3) > 0 && ctx.ch.ChInfo(n, 4) > 0;
  }
  std::printf("image: %d channels, %d decoded valid, %d with names, %d with both tones; %d error log entries\n",
              ctx.ch.ChCount, valid, named, toned, ctx.log.entriesLogged());
  std::printf("%d iterations each\n", iterations);

  print("decode (band, channels, options)", measure(iterations, [&] {
          ctx.IicDat = full;
          SelectBandFromImage(ctx);
          ChInfoSaveSol(ctx, 1);
          OptSelSaveSol(ctx, 1);
        }));
  print("encode (channels, options)", measure(iterations, [&] { SetConvIicDat(ctx); }));
  print("  channels only: IicDatToChInfo", measure(iterations, [&] { IicDatToChInfo(ctx); }));
  print("  channels only: ChInfoToIicDat", measure(iterations, [&] { ChInfoToIicDat(ctx); }));
  print("  options only: SaveToOptSel", measure(iterations, [&] { SaveToOptSel(ctx); }));
  print("  options only: OptSelToSave", measure(iterations, [&] { OptSelToSave(ctx); }));

  const bool same = ctx.IicDat == full;
  std::printf("encode reproduces the image: %s\n", same ? "yes" : "NO");
  if (ctx.log.entriesLogged() != 0) std::printf("error log entries: %d\n", ctx.log.entriesLogged());
  return same ? 0 : 1;
}
