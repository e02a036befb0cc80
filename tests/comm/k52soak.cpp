// k52soak: randomized, fault-injected transfers against k52sim --fast. Each transfer reads
// or writes a random range of a radio holding random memory, while the simulator plays
// random faults on its replies (lost, wrong, short, late, garbage, split, extra, hang-up).
// Every transfer must end as a success with the image equal to the radio's memory, or as
// a failure with the image untouched, within its time limit. scripts/soak.sh runs it.
//
//   k52soak --sim PATH [--count N] [--seed S] [--verbose]

#include "comm/protocol.h"
#include "comm/transfer.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/numbers.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "support/testenv.h"
#include "ui/clock.h"
#include "ui/dialogs.h"
#include "ui/serialdevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <random>
#include <unistd.h>

using namespace k52;

namespace {

// Ends the process when a transfer runs past its time limit (SIGALRM): a hang is a finding.
volatile sig_atomic_t currentTransfer = 0;
void timeLimitPassed(int) {
  char text[] = "k52soak: transfer 0000000 did not end within its time limit\n";
  for (int i = 24, n = currentTransfer; i >= 18; --i, n /= 10) text[i] = char('0' + n % 10);
  if (::write(2, text, sizeof text - 1) < 0) _exit(3);
  _exit(3);
}

const char* const kKinds[] = {"lost", "wrong", "short", "late", "garbage", "split", "extra", "hangup"};

QString faultSpec(std::mt19937_64& rng) {
  static const double rates[] = {0.0, 0.01, 0.03, 0.08, 0.15, 0.3};
  const double total = rates[rng() % std::size(rates)];
  if (total == 0.0) return {};
  double weights[std::size(kKinds)];
  double sum = 0;
  for (size_t k = 0; k < std::size(kKinds); ++k) {
    weights[k] = (k == 7 ? 0.05 : 1.0) * static_cast<double>(rng() % 100 + 1);
    sum += weights[k];
  }
  QStringList parts;
  for (size_t k = 0; k < std::size(kKinds); ++k)
    parts << QStringLiteral("%1=%2").arg(QString::fromLatin1(kKinds[k])).arg(total * weights[k] / sum, 0, 'f', 6);
  return parts.join(QLatin1Char(','));
}

// No window; keeps the image as read, before it is decoded.
class SoakView final : public TransferView {
 public:
  void imageRead(const QByteArray& image) override { read = image; }
  QByteArray read;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString simPath;
  int count = 1000;
  uint64_t seed = 1;
  bool verbose = false;
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool valued = a == QLatin1String("--sim") || a == QLatin1String("--count") || a == QLatin1String("--seed");
    const QString next = valued && i + 1 < args.size() ? args[++i] : QString();
    if (a == QLatin1String("--sim")) simPath = next;
    else if (a == QLatin1String("--count")) count = next.toInt();
    else if (a == QLatin1String("--seed")) seed = next.toULongLong();
    else if (a == QLatin1String("--verbose")) verbose = true;
    else {
      std::fprintf(stderr, "usage: k52soak --sim PATH [--count N] [--seed S] [--verbose]\n");
      return 2;
    }
  }
  if (simPath.isEmpty() || !QFile::exists(simPath) || count < 1) {
    std::fprintf(stderr, "k52soak: --sim names no simulator, or --count is not positive\n");
    return 2;
  }

  // A program folder of its own: the delivered files, English, not a first run.
  test::TestEnv folder;
  folder.installProgram(3);
  SystemClock clock;
  NeverAskDialogs dialogs;
  dialogs.localeId = 1033;
  AppContext ctx(clock, dialogs, folder.folder.path());
  ctx.port = std::make_unique<SerialDevice>();
  InitMultiFrm(ctx);
  if (ctx.IicDat.size() != 0x2000) {
    std::fprintf(stderr, "k52soak: the settings give an image of %d bytes\n", ctx.IicDat.size());
    return 2;
  }

  const QByteArray bandBytes = ctx.IicDat.toByteArray().mid(0x0FF0, 3);  // the delivered image's band
  std::mt19937_64 rng(seed);
  std::signal(SIGALRM, timeLimitPassed);
  int readsOk = 0, readsFailed = 0, writesOk = 0, writesFailed = 0, violations = 0, hangups = 0;
  long faults = 0;
  int64_t longest = 0;
  QElapsedTimer total;
  total.start();

  for (int n = 1; n <= count; ++n) {
    const uint64_t simSeed = rng();
    const bool write = rng() % 2 == 1;
    int start = 0, end = 0x1FFF;
    const unsigned shape = rng() % 10;
    if (shape < 9) {  // mostly short ranges, one in ten the whole memory
      const int len = shape < 7 ? static_cast<int>(rng() % 0x100) + 1 : static_cast<int>(rng() % 0x700) + 0x101;
      start = static_cast<int>(rng() % 0x2000);
      end = std::min(start + len - 1, 0x1FFF);
    }
    const QString faultsArg = faultSpec(rng);
    const int lateMs = 160 + static_cast<int>(rng() % 240);

    // The radio's memory: random bytes, mostly with the band bytes of a preset band (an
    // unknown band makes decoding settle the band bytes in the image).
    QByteArray memory(0x2000, '\0');
    for (char& b : memory) b = static_cast<char>(rng() & 0xFF);
    const bool knownBand = rng() % 8 != 0;
    if (knownBand) memory.replace(0x0FF0, 3, bandBytes);
    const QString imagePath = folder.path(QStringLiteral("radio.bin"));
    folder.writeFile(imagePath, memory);
    QStringList simArgs{QStringLiteral("--fast"), QStringLiteral("--image"), imagePath, QStringLiteral("--seed"),
                        QString::number(simSeed), QStringLiteral("--late-ms"), QString::number(lateMs)};
    if (!faultsArg.isEmpty()) simArgs << QStringLiteral("--faults") << faultsArg;
    test::Sim sim;
    sim.program = simPath;
    if (!sim.start(simArgs)) {
      std::fprintf(stderr, "k52soak: the simulator did not start\n");
      return 2;
    }

    (write ? ctx.st.WriteStartAddr : ctx.st.ReadStartAddr) = static_cast<int16_t>(start);
    (write ? ctx.st.WriteEndAddr : ctx.st.ReadEndAddr) = static_cast<int16_t>(end);
    if (write) {
      // What the write itself does first, done beforehand, so that "untouched" can be seen:
      // the write's own encoding then changes nothing.
      SetConvIicDat(ctx);
      if (ctx.IicDat.at(0x0E17) > 4) ctx.IicDat.at(0x0E17) = 4;
      WriteComDat(ctx);
    }
    const QByteArray before = ctx.IicDat.toByteArray();
    TransferPort port{sim.device, {}};
    SoakView view;
    const int blocks = (end - start) / 16 + 1;
    currentTransfer = n;
    alarm(static_cast<unsigned>(20 + blocks * 60 / 1000 + 1));
    QElapsedTimer t;
    t.start();
    const TransferEnd result = write ? cmdWrite_Click(ctx, view, &port) : cmdRead_Click(ctx, view, &port);
    longest = std::max<int64_t>(longest, t.elapsed());
    alarm(0);

    const QByteArray after = ctx.IicDat.toByteArray();
    const bool alive = sim.p.state() == QProcess::Running;
    QByteArray radio;
    if (alive) {
      const QByteArray status = sim.command("status");
      const int at = status.indexOf("faults=");
      if (at >= 0) faults += status.mid(at + 7).split(' ').value(0).toLong();
      radio = sim.dump();
    } else {
      sim.p.waitForFinished(5000);
      if (sim.p.exitCode() == 3) ++hangups;
    }

    QString problem;
    const QString what = QStringLiteral("%1 %2-%3 (seed %4, faults %5)")
                             .arg(write ? QStringLiteral("write") : QStringLiteral("read"), hex4(start), hex4(end))
                             .arg(simSeed)
                             .arg(faultsArg.isEmpty() ? QStringLiteral("none") : faultsArg);
    if (result == TransferEnd::Succeeded) {
      if (!alive) problem = QStringLiteral("succeeded although the radio hung up");
      else if (radio.size() != 0x2000) problem = QStringLiteral("no memory dump from the simulator");
      else if (ctx.com.ComFailCnt >= kMaxComFailures) problem = QStringLiteral("succeeded after seven failures");
      else if (!write) {
        QByteArray expected = before;
        expected.replace(start, end - start + 1, radio.mid(start, end - start + 1));
        QByteArray decoded = after;
        if (!knownBand) decoded.replace(0x0FF0, 3, expected.mid(0x0FF0, 3));
        if (view.read != expected) problem = QStringLiteral("the image read differs from the radio's memory");
        else if (decoded != expected) problem = QStringLiteral("the image differs from the radio's memory");
      } else {
        if (after != before) problem = QStringLiteral("the write changed the image");
        QByteArray expected = memory;
        expected.replace(start, end - start + 1, before.mid(start, end - start + 1));
        expected.replace(0x0FF0, 3, before.mid(0x0FF0, 3));
        expected.replace(0x0F92, 3, before.mid(0x0F92, 3));
        expected.replace(0x0F80, 16, QByteArray(16, '\xFF'));
        expected.replace(0x0F90, 2, QByteArray(2, '\xFF'));
        if (radio != expected) problem = QStringLiteral("the radio does not hold what was written");
      }
      ++(write ? writesOk : readsOk);
    } else if (result == TransferEnd::Failed) {
      if (after != before) problem = QStringLiteral("a failed transfer changed the image");
      if (ctx.com.ComFailCnt != kMaxComFailures) problem = QStringLiteral("failed with %1 failures").arg(ctx.com.ComFailCnt);
      ++(write ? writesFailed : readsFailed);
    } else {
      problem = QStringLiteral("ended as %1").arg(static_cast<int>(result));
    }
    if (!problem.isEmpty()) {
      ++violations;
      std::fprintf(stderr, "k52soak: transfer %d, %s: %s\n", n, qPrintable(what), qPrintable(problem));
    } else if (verbose) {
      std::fprintf(stderr, "k52soak: transfer %d, %s: %s in %lld ms, %d failed runs\n", n, qPrintable(what),
                   result == TransferEnd::Succeeded ? "ok" : "failed", static_cast<long long>(t.elapsed()),
                   ctx.com.ComFailCnt);
    }
    sim.stop();
  }

  std::printf("transfers=%d reads_ok=%d reads_failed=%d writes_ok=%d writes_failed=%d faults=%ld hangups=%d "
              "violations=%d longest_ms=%lld seconds=%.1f\n",
              count, readsOk, readsFailed, writesOk, writesFailed, faults, hangups, violations,
              static_cast<long long>(longest), total.elapsed() / 1000.0);
  return violations == 0 ? 0 : 1;
}
