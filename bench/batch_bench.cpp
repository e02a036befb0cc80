// Many radios at once at real pacing: k52cli batch-write --verify into one paced k52sim radio,
// then into eight at once (each its own 9600-baud 8N1 line). Prints the wall time of each run,
// their ratio (eight at once against one alone), and the CPU time k52cli used (user + system,
// from getrusage of the reaped child) as a share of one core over the run's wall time.
//
//   k52bench_batch [--radios N] [--bin DIR]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

double childCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
  double wall = 0, cpu = 0;
  int status = -1;
  QByteArray out;
};

// One batch-write over the devices. The radios stay running (not yet reaped), so the
// children's CPU time that grows across the run is k52cli's alone.
Run batchWrite(const QString& bin, const QString& folder, const QStringList& devices) {
  QProcess cli;
  const double cpu0 = childCpuSeconds();
  QElapsedTimer t;
  t.start();
  cli.start(QDir(bin).filePath(QStringLiteral("k52cli")),
            {QStringLiteral("--program-folder"), folder, QStringLiteral("batch-write"), QStringLiteral("--ports"),
             devices.join(QLatin1Char(',')), QStringLiteral("--verify"), QStringLiteral("--log"),
             QDir(folder).filePath(QStringLiteral("units.csv")), QDir(folder).filePath(QStringLiteral("in.dat"))});
  cli.waitForFinished(-1);
  Run r;
  r.wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
  r.cpu = childCpuSeconds() - cpu0;
  r.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
  r.out = cli.readAllStandardOutput() + cli.readAllStandardError();
  return r;
}

void print(const char* what, const Run& r) {
  std::printf("%-14s wall %7.2f s   k52cli cpu %.2f s = %.2f %% of one core   exit %d\n", what, r.wall, r.cpu,
              100.0 * r.cpu / r.wall, r.status);
  std::fputs(r.out.constData(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int radios = 8;
  QString bin = QCoreApplication::applicationDirPath();
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--radios")) radios = std::max(1, args[i + 1].toInt());
    else if (args[i] == QLatin1String("--bin")) bin = args[i + 1];
  }
  QTemporaryDir folder;
  for (const char* name : {"minglyc.dll", "dhcpqec.dll"})
    if (!QFile::copy(QDir(bin).filePath(QString::fromLatin1(name)), folder.filePath(QString::fromLatin1(name)))) {
      std::fprintf(stderr, "k52bench_batch: %s missing in %s\n", name, qPrintable(bin));
      return 2;
    }
  QFile::copy(folder.filePath(QStringLiteral("dhcpqec.dll")), folder.filePath(QStringLiteral("in.dat")));

  std::vector<std::unique_ptr<QProcess>> sims;
  QStringList devices;
  for (int i = 0; i < radios; ++i) {
    auto& p = sims.emplace_back(std::make_unique<QProcess>());
    p->start(QDir(bin).filePath(QStringLiteral("k52sim")), QStringList{});  // paced: 9600 baud 8N1
    if (!p->waitForStarted(5000) || !p->waitForReadyRead(5000)) {
      std::fprintf(stderr, "k52bench_batch: cannot start k52sim\n");
      return 2;
    }
    devices << QString::fromLocal8Bit(p->readLine()).trimmed();
  }
  std::printf("k52bench_batch: write and verify of the default image, k52sim paced at 9600 baud 8N1, %d radios\n", radios);
  const Run one = batchWrite(bin, folder.path(), devices.mid(0, 1));
  print("one radio", one);
  const Run all = batchWrite(bin, folder.path(), devices);
  print(qPrintable(QStringLiteral("%1 at once").arg(radios)), all);
  std::printf("ratio %.3f (%d at once against one alone)\n", all.wall / one.wall, radios);
  for (auto& p : sims) {
    p->write("quit\n");
    p->waitForFinished(5000);
  }
  return one.status == 0 && all.status == 0 ? 0 : 1;
}
