// Transfer speed against the simulated radio at real pacing: a full read and a full write
// of 0000-1FFF through the program's own transfer code and serial device, k52sim pacing
// every byte as a 9600-baud 8N1 line does. Prints for each the wall time, the floor (the
// line time of every byte that went over the line plus the pauses the protocol prescribes:
// 5 ms before every pass of the engine's frame loop, that is frames + 1 per script, and the
// 200 ms and 300 ms that close a transfer), their ratio, and the CPU time this process used.
//
// Then two full reads at once, each engine on its own thread, port and clock against a
// paced radio of its own: the wall time of both against one read alone, and the CPU time.
//
//   k52bench_transfer [--runs N] [--sim PATH]

#include "core/imagetransfer.h"
#include "app/transfer.h"
#include "core/memoryimage.h"
#include "app/appcontext.h"
#include "app/startup.h"
#include "core/clock.h"
#include "platform/systemclock.h"
#include "core/dialogs.h"
#include "core/inifile.h"
#include "platform/serialdevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <ctime>

using namespace k52;

namespace {

constexpr double kByteSeconds = 10.0 / 9600.0;  // start bit, 8 data bits, stop bit
constexpr double kFramePause = 0.005;
constexpr double kClosingWaits = 0.2 + 0.3;

// Counts what goes over the line: every frame sent and every reply taken.
class CountingView final : public TransferView {
 public:
  void ComDataShow(int16_t dir, const QByteArray& block) override {
    (dir == 0 ? sent : received) += block.size();
    if (dir == 0) ++frames;
  }
  void imageRead(const QByteArray& image) override { read = image; }
  long sent = 0, received = 0, frames = 0;
  QByteArray read;  // the image as read, before decoding
};

double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Result {
  double wall = 0, cpu = 0, line = 0, pauses = 0;
  long bytes = 0;
  bool ok = false;
  QByteArray read;
};

Result run(AppContext& ctx, bool write, const QString& device) {
  CountingView view;
  TransferPort port{device, {}};
  const double cpu0 = cpuSeconds();
  QElapsedTimer t;
  t.start();
  const TransferEnd end = write ? cmdWrite_Click(ctx, view, &port) : cmdRead_Click(ctx, view, &port);
  Result r;
  r.wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
  r.cpu = cpuSeconds() - cpu0;
  r.ok = end == TransferEnd::Succeeded && ctx.com.ComFailCnt == 0;
  r.bytes = view.sent + view.received;
  r.read = view.read;
  r.line = static_cast<double>(r.bytes) * kByteSeconds;
  const int dir = write ? kWriteDir : kReadDir;
  long passes = 0;
  for (int i = 1; i <= ctx.com.scripts.ScriptCount(dir); ++i)
    passes += ctx.com.scripts.ScriptText(dir, i).count(QStringLiteral("TX")) + 1;
  r.pauses = static_cast<double>(passes) * kFramePause + kClosingWaits;
  return r;
}

void print(const char* what, const Result& r) {
  const double floor = r.line + r.pauses;
  std::printf("%-5s wall %7.3f s   floor %7.3f s (line %6.3f s for %ld bytes, pauses %6.3f s)   ratio %.4f   "
              "cpu %.3f s (%.2f%% of wall)%s\n",
              what, r.wall, floor, r.line, r.bytes, r.pauses, r.wall / floor, r.cpu, 100.0 * r.cpu / r.wall,
              r.ok ? "" : "   TRANSFER FAILED");
}

// A paced radio holding the file's memory; its terminal, or nothing.
QString startRadio(QProcess& radio, const QString& sim, const QString& imagePath) {
  radio.start(sim, {QStringLiteral("--image"), imagePath});  // paced: 9600 baud 8N1
  if (!radio.waitForStarted(5000)) return {};
  while (!radio.canReadLine())
    if (!radio.waitForReadyRead(5000)) return {};
  return QString::fromLocal8Bit(radio.readLine()).trimmed();
}

struct NoLog final : FaultSink {
  void LogError(const QString& procName, int number, const QString& source) override {
    std::fprintf(stderr, "k52bench_transfer: %s %d %s\n", qPrintable(procName), number, qPrintable(source));
  }
};

// Full reads of every device at once, one engine per thread; false when one failed or
// read other bytes than the memory.
bool readAtOnce(const QStringList& devices, const QByteArray& memory, double alone) {
  const ScriptStore scripts = buildScripts({0, 0x1FFF}, {0, 0x1FFF});
  const auto n = static_cast<size_t>(devices.size());
  std::vector<TransferOutcome> out(n);
  std::vector<MemoryImage> image(n);
  std::vector<double> wall(n);
  std::vector<std::unique_ptr<QThread>> threads;
  for (size_t i = 0; i < n; ++i)
    threads.emplace_back(QThread::create([&, i] {
      SerialDevice port;
      SystemClock clock;
      NoLog log;
      ProtocolEngine engine(port, clock, log);
      TransferProgress progress;
      image[i].allocate(0x1FFF);
      QElapsedTimer t;
      t.start();
      out[i] = transferOnDevice(engine, devices[int(i)], scripts, kReadDir, image[i], progress);
      wall[i] = static_cast<double>(t.nsecsElapsed()) / 1e9;
    }));
  const double cpu0 = cpuSeconds();
  QElapsedTimer t;
  t.start();
  for (auto& thread : threads) thread->start();
  for (auto& thread : threads) thread->wait();
  const double all = static_cast<double>(t.nsecsElapsed()) / 1e9, cpu = cpuSeconds() - cpu0;
  bool ok = true;
  for (size_t i = 0; i < n; ++i) ok = ok && out[i].end == TransferEnd::Succeeded && out[i].failures == 0 && image[i].toByteArray() == memory;
  std::printf("%zu reads at once: wall %7.3f s (each:", n, all);
  for (double w : wall) std::printf(" %.3f", w);
  std::printf(")   against one alone %.3f s: ratio %.4f   cpu %.3f s (%.2f%% of wall)%s\n", alone, all / alone, cpu,
              100.0 * cpu / all, ok ? "" : "   TRANSFER FAILED");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int runs = 1;
  QString sim = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("k52sim"));
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--runs"))
      runs = std::max(1, args[i + 1].toInt());
    else if (args[i] == QLatin1String("--sim"))
      sim = args[i + 1];
  }
  const QString binDir = QCoreApplication::applicationDirPath();
  QTemporaryDir folder;
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"})
    QFile::copy(QDir(binDir).filePath(QString::fromLatin1(name)), QDir(folder.path()).filePath(QString::fromLatin1(name)));
  {
    IniFile ini(QDir(folder.path()).filePath(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
  }
  QByteArray memory(0x2000, '\0');
  for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 131 + i / 256) & 0xFF);
  const QString imagePath = QDir(folder.path()).filePath(QStringLiteral("radio.bin"));
  {
    QFile f(imagePath);
    if (!f.open(QIODevice::WriteOnly)) return 2;
    f.write(memory);
  }

  QProcess radio;
  const QString device = startRadio(radio, sim, imagePath);
  if (device.isEmpty()) {
    std::fprintf(stderr, "k52bench_transfer: cannot start %s\n", qPrintable(sim));
    return 2;
  }

  SystemClock clock;
  NeverAskDialogs dialogs;
  dialogs.localeId = 1033;
  dialogs.onMessage = [](const QString& prompt, MsgButtons) {
    std::fprintf(stderr, "k52bench_transfer: %s\n", qPrintable(prompt));
  };
  AppContext ctx(clock, dialogs, folder.path());
  ctx.port = std::make_unique<SerialDevice>();
  InitMultiFrm(ctx);

  QFile loadavg(QStringLiteral("/proc/loadavg"));
  const QByteArray loadBefore = loadavg.open(QIODevice::ReadOnly) ? loadavg.readAll().trimmed() : QByteArray();
  std::printf("k52bench_transfer: 0000-1FFF against k52sim paced at 9600 baud 8N1 (%s), %d run(s)\n",
              qPrintable(device), runs);
  int failed = 0;
  QByteArray radioHolds = memory;
  double readAlone = 0;
  for (int i = 0; i < runs; ++i) {
    const Result r = run(ctx, false, device);
    readAlone = r.wall;
    print("read", r);
    if (!r.ok || r.read != radioHolds) {
      ++failed;
      std::printf("read: the image differs from the radio's memory\n");
    }
    const Result w = run(ctx, true, device);
    print("write", w);
    failed += w.ok ? 0 : 1;
    // What the radio holds now: the image written, with the two areas the closing writes fill.
    radioHolds = ctx.IicDat.toByteArray();
    radioHolds.replace(0x0F80, 18, QByteArray(18, '\xFF'));
  }
  {
    QProcess radios[2];
    const QStringList devices{startRadio(radios[0], sim, imagePath), startRadio(radios[1], sim, imagePath)};
    if (devices.contains(QString()) || !readAtOnce(devices, memory, readAlone)) ++failed;
    for (QProcess& p : radios) {
      p.write("quit\n");
      if (!p.waitForFinished(3000)) p.kill();
    }
  }
  loadavg.close();
  const QByteArray loadAfter = loadavg.open(QIODevice::ReadOnly) ? loadavg.readAll().trimmed() : QByteArray();
  std::printf("load average before: %s\nload average after:  %s\n", loadBefore.constData(), loadAfter.constData());
  radio.write("quit\n");
  if (!radio.waitForFinished(3000)) radio.kill();
  return failed == 0 ? 0 : 1;
}
