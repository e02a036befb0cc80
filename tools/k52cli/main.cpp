// k52cli: the programming tool's command-line companion. It opens a data file the way a
// freshly started program does (settings file and default image from the program folder,
// band selection, decode) and either prints what the program would show or saves the
// file again as the program would. It never asks, and never writes the settings file.

#include "image/bandtable.h"
#include "image/charcodec.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "image/optcodec.h"
#include "errlog/guarded.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "ui/clock.h"
#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace k52;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;

const char* const kUsage =
    "usage: k52cli [--lang 1|2|3] [--program-folder DIR] decode FILE.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] normalize IN.dat OUT.dat\n"
    "\n"
    "  decode     print the configuration the program shows after opening FILE.dat, as JSON\n"
    "  normalize  open IN.dat and save it again as OUT.dat, as the program does\n"
    "  --lang     language base of the settings file (default: its \"Language\" key)\n"
    "  --program-folder  folder holding minglyc.dll and dhcpqec.dll (default: this program's)\n";

// Nobody is there to answer: every question is declined, every file dialog cancelled.
class NeverAskDialogs final : public Dialogs {
 public:
  MsgAnswer messageBox(const QString&, MsgButtons buttons, MsgIcon, const QString&) override {
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
  QString openFileName(const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  bool shellOpen(const QString&) override { return false; }
  int systemLocaleId() override { return 0; }
};

void printErr(const QString& text) {
  const QByteArray b = text.toUtf8();
  std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stderr);
  std::fputc('\n', stderr);
}

int usage(const QString& problem = {}) {
  if (!problem.isEmpty()) printErr(QStringLiteral("k52cli: ") + problem);
  std::fputs(kUsage, stderr);
  return kExitBadInput;
}

int badInput(const QString& file, const QString& problem) {
  printErr(QStringLiteral("k52cli: %1: %2").arg(QDir::toNativeSeparators(file), problem));
  return kExitBadInput;
}

struct Options {
  QString command;
  QStringList files;
  std::optional<int16_t> lang;
  QString programFolder;
};

// Returns the usage problem, or an empty text when the arguments are good.
QString parseArgs(const QStringList& args, Options& o) {
  QStringList positional;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    QString value;
    auto takeValue = [&](const QString& name) -> bool {
      if (a.startsWith(name + QLatin1Char('='))) {
        value = a.mid(name.size() + 1);
        return true;
      }
      if (a != name) return false;
      value = i + 1 < args.size() ? args[++i] : QString();
      return true;
    };
    if (takeValue(QStringLiteral("--lang"))) {
      if (value == QLatin1String("1") || value == QLatin1String("2") || value == QLatin1String("3"))
        o.lang = static_cast<int16_t>(value.toShort());
      else
        return QStringLiteral("--lang takes 1, 2 or 3");
    } else if (takeValue(QStringLiteral("--program-folder"))) {
      if (value.isEmpty()) return QStringLiteral("--program-folder takes a folder");
      o.programFolder = value;
    } else if (a.startsWith(QLatin1Char('-'))) {
      return QStringLiteral("unknown option %1").arg(a);
    } else {
      positional << a;
    }
  }
  if (positional.isEmpty()) return QStringLiteral("no command");
  o.command = positional.takeFirst();
  o.files = positional;
  if (o.command == QLatin1String("decode")) {
    if (o.files.size() != 1) return QStringLiteral("decode takes one file");
  } else if (o.command == QLatin1String("normalize")) {
    if (o.files.size() != 2) return QStringLiteral("normalize takes an input and an output file");
  } else {
    return QStringLiteral("unknown command %1").arg(o.command);
  }
  return {};
}

// The program as it stands after its start-up: settings read, tables built, the default
// band selected and the default image loaded, options at their defaults.
void startLikeTheProgram(AppContext& ctx, std::optional<int16_t> lang) {
  ReadSettings(ctx);
  if (lang) ctx.st.CurLang = *lang;
  GetValidCharTbl(ctx);
  OptNowDefSol(ctx, 0);
  // New File resets the selections to the defaults; here only in memory, the settings
  // file keeps what it holds.
  guarded(ctx.log, "modSysSet->OptNowDefSol", [&] {
    for (int i = 1; i <= ctx.opt.OptCount; ++i) ctx.opt.OptSel(i) = ctx.opt.OptDef(i);
  });
  GenCtdcsList(ctx);
  ReadChInfo(ctx);
  applyBandSelection(ctx, kDefaultBandIndex, nullptr);
  InitTempArray(ctx);
  ChInfoSaveSol(ctx, 1);
  ctx.ch.ChNameCode.fill(255);
}

// Reads the data file into the image. Returns the problem, or an empty text.
QString loadDataFile(AppContext& ctx, const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("no such file");
  if (info.isDir()) return QStringLiteral("is a folder, not a data file");
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("cannot be read (%1)").arg(f.errorString());
  const qint64 need = ctx.IicDat.size();
  const QByteArray data = f.read(need);
  if (f.error() != QFileDevice::NoError) return QStringLiteral("cannot be read (%1)").arg(f.errorString());
  if (data.size() < need)
    return QStringLiteral("too short for a memory image (%1 of %2 bytes)").arg(data.size()).arg(need);
  ctx.IicDat.assignFrom(data);
  return {};
}

QJsonObject toJson(AppContext& ctx) {
  QJsonObject band;
  band[QStringLiteral("index")] = ctx.band.BandIndex;
  band[QStringLiteral("lower")] = ctx.band.LowerLimit;
  band[QStringLiteral("upper")] = ctx.band.UpperLimit;

  // Names as the grid shows them: the channel grid's name cells, kept in memory here.
  const int count = std::clamp<int>(ctx.ch.ChCount, 0, kChRows);
  Grid& grid = ctx.gridCh();
  grid.setRows(count + 1);
  grid.setCols(std::max<int>(ctx.ch.ColCount, 8) + 1);

  QJsonArray channels;
  for (int n = 1; n <= count; ++n) {
    const auto& ci = ctx.ch.ChInfo;
    grid.setText(n, 8, QString());
    ChNameCharShow(ctx, static_cast<int16_t>(n));
    QJsonObject c;
    c[QStringLiteral("n")] = n;
    c[QStringLiteral("rx")] = ci(n, 1);
    c[QStringLiteral("tx")] = ci(n, 2);
    c[QStringLiteral("decode")] = ci(n, 3);
    c[QStringLiteral("encode")] = ci(n, 4);
    c[QStringLiteral("options")] = QJsonArray{ci(n, 5), ci(n, 6), ci(n, 7)};
    c[QStringLiteral("name")] = grid.text(n, 8);
    channels.append(c);
  }
  QJsonArray options;
  for (int i = 1; i <= kOptEntries; ++i) options.append(ctx.opt.OptSel(i));

  QJsonObject root;
  root[QStringLiteral("band")] = band;
  root[QStringLiteral("channels")] = channels;
  root[QStringLiteral("options")] = options;
  return root;
}

bool writeImage(const AppContext& ctx, const QString& path, QString& problem) {
  QSaveFile f(path);
  const QByteArray data = ctx.IicDat.toByteArray();
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
    problem = f.errorString();
    return false;
  }
  return true;
}

void printLog(const AppContext& ctx) {
  for (const QString& line : ctx.log.lines()) printErr(line);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  Options o;
  if (const QString problem = parseArgs(args, o); !problem.isEmpty()) return usage(problem);
  if (o.programFolder.isEmpty()) o.programFolder = QCoreApplication::applicationDirPath();
  if (!QFileInfo(o.programFolder).isDir()) return badInput(o.programFolder, QStringLiteral("no such folder"));
  const QString settings = QDir(o.programFolder).filePath(QString::fromLatin1(kSettingsFileName));
  if (!QFileInfo(settings).isFile()) return badInput(settings, QStringLiteral("no settings file"));

  SystemClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, o.programFolder);
  startLikeTheProgram(ctx, o.lang);

  const QString& in = o.files[0];
  if (const QString problem = loadDataFile(ctx, in); !problem.isEmpty()) return badInput(in, problem);
  // Opening a file: the band follows the image, then channels and options are decoded.
  SelectBandFromImage(ctx);
  ChInfoSaveSol(ctx, 1);
  OptSelSaveSol(ctx, 1);

  int status = kExitOk;
  if (o.command == QLatin1String("decode")) {
    const QByteArray json = QJsonDocument(toJson(ctx)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
  } else {
    SetConvIicDat(ctx);
    QString problem;
    if (!writeImage(ctx, o.files[1], problem)) {
      printErr(QStringLiteral("k52cli: %1: cannot be written (%2)").arg(QDir::toNativeSeparators(o.files[1]), problem));
      status = kExitWriteFailed;
    }
  }
  printLog(ctx);
  return status;
}
