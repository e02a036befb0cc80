// k52soak: randomized, fault-injected transfers against k52sim --fast, on the protocol
// engine and the real serial device. Each transfer reads or writes a random range of a
// radio holding random memory, while the simulator plays random faults on its replies
// (lost, wrong, short, late, garbage, split, extra, hang-up). Every transfer must end as a
// success with the image equal to the radio's memory, or as a failure after seven failed
// runs with the image untouched, within its time limit. scripts/soak.sh runs it.
//
//   k52soak --sim PATH [--count N] [--seed S]

#include "core/imagetransfer.h"
#include "core/memoryimage.h"
#include "support/sim.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <random>
#include <unistd.h>

using namespace k52;

namespace {

// Ends the process when a transfer runs past its time limit (SIGALRM): a hang is a finding.
void timeLimitPassed(int) {
  const char text[] = "k52soak: a transfer did not end within its time limit\n";
  [[maybe_unused]] const ssize_t said = ::write(2, text, sizeof text - 1);
  _exit(3);
}

const char* const kKinds[] = {"lost", "wrong", "short", "late", "garbage", "split", "extra", "hangup"};

QString faultSpec(std::mt19937_64& rng) {
  static const double rates[] = {0.0, 0.01, 0.03, 0.08, 0.15, 0.3};
  const double total = rates[rng() % std::size(rates)];
  if (total == 0.0) return {};
  double weights[std::size(kKinds)], sum = 0;
  for (size_t k = 0; k < std::size(kKinds); ++k) sum += weights[k] = (k == 7 ? 0.05 : 1.0) * double(rng() % 100 + 1);
  QStringList parts;
  for (size_t k = 0; k < std::size(kKinds); ++k)
    parts << QStringLiteral("%1=%2").arg(QLatin1String(kKinds[k])).arg(total * weights[k] / sum, 0, 'f', 6);
  return parts.join(QLatin1Char(','));
}

struct NoLog final : FaultSink {
  void LogError(const QString&, int, const QString&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const auto arg = [&](const char* name, const QString& otherwise) {
    const qsizetype i = args.indexOf(QLatin1String(name));
    return i > 0 && i + 1 < args.size() ? args[i + 1] : otherwise;
  };
  const QString simPath = arg("--sim", {});
  const int count = arg("--count", QStringLiteral("1000")).toInt();
  if (simPath.isEmpty() || !QFile::exists(simPath) || count < 1) {
    std::fprintf(stderr, "usage: k52soak --sim PATH [--count N] [--seed S]\n");
    return 2;
  }

  QTemporaryDir folder;
  SystemClock clock;
  SerialDevice port;
  NoLog sink;
  ProtocolEngine engine(port, clock, sink);
  TransferProgress progress;
  std::mt19937_64 rng(arg("--seed", QStringLiteral("1")).toULongLong());
  std::signal(SIGALRM, timeLimitPassed);
  int ok[2] = {0, 0}, failed[2] = {0, 0}, violations = 0, hangups = 0;
  long faultsPlayed = 0;
  int64_t longest = 0;
  QElapsedTimer total;
  total.start();

  for (int n = 1; n <= count; ++n) {
    const uint64_t simSeed = rng();
    const bool write = rng() % 2 == 1;
    int start = 0, end = 0x1FFF;
    if (const unsigned shape = rng() % 10; shape < 9) {  // mostly short ranges, one in ten the whole memory
      const int len = shape < 7 ? int(rng() % 0x100) + 1 : int(rng() % 0x700) + 0x101;
      start = int(rng() % 0x2000);
      end = std::min(start + len - 1, 0x1FFF);
    }
    const QString faults = faultSpec(rng);
    QByteArray memory(0x2000, '\0'), before(0x2000, '\0');
    for (QByteArray* bytes : {&memory, &before})
      for (char& b : *bytes) b = static_cast<char>(rng() & 0xFF);
    MemoryImage image;
    image.allocate(0x1FFF);
    image.assignFrom(before);
    const QString imagePath = folder.filePath(QStringLiteral("radio.bin"));
    if (QFile f(imagePath); !f.open(QIODevice::WriteOnly) || f.write(memory) != memory.size()) return 2;
    QStringList simArgs{QStringLiteral("--fast"), QStringLiteral("--image"), imagePath, QStringLiteral("--seed"), QString::number(simSeed),
                        QStringLiteral("--late-ms"), QString::number(160 + rng() % 240)};
    if (!faults.isEmpty()) simArgs << QStringLiteral("--faults") << faults;
    test::Sim sim;
    sim.program = simPath;
    if (!sim.start(simArgs)) return std::fprintf(stderr, "k52soak: the simulator did not start\n"), 2;

    alarm(static_cast<unsigned>(20 + ((end - start) / 16 + 1) * 60 / 1000 + 1));
    QElapsedTimer t;
    t.start();
    const TransferOutcome out = transferOnDevice(engine, sim.device, buildScripts({start, end}, {start, end}), write ? kWriteDir : kReadDir, image, progress);
    longest = std::max<int64_t>(longest, t.elapsed());
    alarm(0);
    const QByteArray after = image.toByteArray();
    QByteArray radio;
    if (sim.p.state() == QProcess::Running) {
      const QByteArray status = sim.command("status");
      if (const int at = status.indexOf("faults="); at >= 0) faultsPlayed += status.mid(at + 7).split(' ').value(0).toLong();
      radio = sim.dump();
    } else if (sim.p.waitForFinished(5000) && sim.p.exitCode() == 3) {
      ++hangups;
    }

    QString problem;
    if (out.end == TransferEnd::Succeeded) {
      QByteArray expected = write ? memory : before;
      const QByteArray& from = write ? before : radio;
      expected.replace(start, end - start + 1, from.mid(start, end - start + 1));
      if (write) {  // the band, the date, the fills
        expected.replace(0x0FF0, 3, before.mid(0x0FF0, 3));
        expected.replace(0x0F92, 3, before.mid(0x0F92, 3));
        expected.replace(0x0F80, 18, QByteArray(18, '\xFF'));
      }
      if (radio.size() != 0x2000) problem = QStringLiteral("succeeded although the radio is gone");
      else if (out.failures >= kMaxComFailures) problem = QStringLiteral("succeeded after seven failures");
      else if ((write ? radio : after) != expected) problem = QStringLiteral("the image and the radio's memory differ");
      else if (write && after != before) problem = QStringLiteral("the write changed the image");
      ++ok[write];
    } else if (out.end == TransferEnd::Failed) {
      if (after != before) problem = QStringLiteral("a failed transfer changed the image");
      if (out.failures != kMaxComFailures) problem = QStringLiteral("failed with %1 failures").arg(out.failures);
      ++failed[write];
    } else {
      problem = QStringLiteral("ended as %1").arg(static_cast<int>(out.end));
    }
    if (!problem.isEmpty()) {
      ++violations;
      std::fprintf(stderr, "k52soak: transfer %d, %s %04x-%04x (seed %llu, faults %s): %s in %lld ms, %d failed runs\n", n,
                   write ? "write" : "read", start, end, static_cast<unsigned long long>(simSeed),
                   faults.isEmpty() ? "none" : qPrintable(faults), qPrintable(problem), static_cast<long long>(t.elapsed()), out.failures);
    }
    sim.stop();
  }
  std::printf("transfers=%d reads_ok=%d reads_failed=%d writes_ok=%d writes_failed=%d faults=%ld hangups=%d violations=%d "
              "longest_ms=%lld seconds=%.1f\n", count, ok[0], failed[0], ok[1], failed[1], faultsPlayed, hangups, violations,
              static_cast<long long>(longest), total.elapsed() / 1000.0);
  return violations == 0 ? 0 : 1;
}
