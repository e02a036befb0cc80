// k52cli: the programming tool's command-line companion. It opens a data file the way a
// freshly started program does (settings file and default image from the program folder,
// band selection, decode) and either prints what the program would show or saves the
// file again as the program would. It also reads a radio into a data file and writes a
// data file into a radio, through the program's own transfer code. It never asks, and
// never writes the settings file.

#include "app/backup.h"
#include "core/datafiles.h"
#include "app/comports.h"
#include "app/transfer.h"
#include "core/k52error.h"
#include "core/addressmap.h"
#include "core/numbers.h"
#include "core/tables.h"
#include "app/appcontext.h"
#include "app/session.h"
#include "core/clock.h"
#include "platform/systemclock.h"
#include "core/dialogs.h"
#include "core/portlist.h"
#include "platform/serialdevice.h"
#include "core/langtexts.h"
#include "core/guarded.h"
#include "core/unitlog.h"
#include "core/unitrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <optional>
#include <tuple>
#include <unistd.h>

using namespace k52;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;

const char* const kUsage =
    "usage: k52cli [--lang 1|2|3] [--program-folder DIR] decode FILE.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] normalize IN.dat OUT.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] read --port DEV [--start HEX] [--end HEX] OUT.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] write --port DEV [--start HEX] [--end HEX] IN.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] diff [--json] A.dat B.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] verify --port DEV [--start HEX] [--end HEX] IN.dat\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] batch-write --ports DEV1,DEV2,... [--verify]\n"
    "              [--log FILE.csv] [--start HEX] [--end HEX] IN.dat|IN.csv\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] export IN.dat OUT.csv\n"
    "       k52cli [--lang 1|2|3] [--program-folder DIR] import [--skip-bad] IN.csv BASE.dat OUT.dat\n"
    "\n"
    "  decode     print the configuration the program shows after opening FILE.dat, as JSON\n"
    "  normalize  open IN.dat and save it again as OUT.dat, as the program does\n"
    "  read       read the radio on DEV into OUT.dat (also kept in the Backup folder)\n"
    "  write      open IN.dat and write it into the radio on DEV, as the program does\n"
    "             (encoded, byte 0E17 limited to 4, today's date as the programming date)\n"
    "  diff       compare two data files field by field: a line per difference (--json: an\n"
    "             array of {where, field, a, b}); the programming date is listed apart.\n"
    "             exit status: 0 equal, 1 different, 2 bad input\n"
    "  verify     read the write range back from the radio on DEV and compare it with IN.dat\n"
    "             as a write would have sent it; the programming date is no difference.\n"
    "             exit status: 0 equal, 1 different (or the read failed), 2 bad input\n"
    "  batch-write  write IN into the radios on all the ports at once, as write does (a CSV\n"
    "             channel list goes onto the default image); --verify reads each radio back\n"
    "             and a unit passes only when it holds what was written. A line per unit on\n"
    "             standard output as it ends: port, passed or failed, seconds, the reason;\n"
    "             --log appends a row per unit to a CSV log (created with a header line).\n"
    "             exit status: 0 every unit passed, 1 any failed, 2 bad input\n"
    "  export     open IN.dat and write its channels as a CSV channel list\n"
    "  import     the channels of IN.csv replace those of BASE.dat (everything else stays\n"
    "             BASE.dat's), saved as OUT.dat; a row that cannot be taken as it stands is\n"
    "             named on standard error and nothing is written (exit 2), unless --skip-bad:\n"
    "             then the other rows are imported and the skipped ones listed\n"
    "  --port     a serial device (/dev/ttyUSB0) or COM1 ... COM16 as the program maps them\n"
    "  --start, --end  the address range, hexadecimal (default: the settings file's range)\n"
    "  exit status: 0 done, 1 the transfer or the output failed (read: or the Backup copy),\n"
    "             2 bad input (also an output that cannot be written there, checked first)\n"
    "  --lang     language base of the settings file (default: its \"Language\" key)\n"
    "  --program-folder  folder holding minglyc.dll and dhcpqec.dll (default: this program's);\n"
    "             when you may not write there (an installed program), your own settings file\n"
    "             ~/.config/k52/minglyc.dll is read once the program has made it, and read\n"
    "             backups go to ~/Documents/K52/Backup, as the program does\n";

void printErr(const QString& text);

// A transfer without windows: the percent on standard error, rewritten in place on a
// terminal, a line per change otherwise.
class ProgressOnStderr final : public TransferView {
 public:
  explicit ProgressOnStderr(const char* what) : what_(what), tty_(isatty(STDERR_FILENO) != 0) {}
  void ShowComPercent(int16_t percent) override {
    if (percent == last_) return;
    last_ = percent;
    std::fprintf(stderr, tty_ ? "\r%s %3d %%" : "%s %d %%\n", what_, percent);
    std::fflush(stderr);
  }
  void transferStopped() override {
    if (tty_ && last_ >= 0) std::fputc('\n', stderr);
  }
  void imageRead(const QByteArray& image) override { read = image; }
  void backupWritten(const QString& path) override { backup = path; }
  QByteArray read;  // the radio's memory as read
  QString backup;   // where the backup went; empty when it failed

 private:
  const char* what_;
  bool tty_;
  int last_ = -1;
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

// A CSV channel list read, with one line on standard error per row it cannot give as it
// stands (and per row taken changed). Nothing (the reason said) when the file cannot be
// read, is no channel list, or has rows that cannot be taken and skipBad is not given
// (refusedNote says what then happens).
std::optional<CsvImport> readCsvReported(Session& session, const QString& path, bool skipBad,
                                         const QString& refusedNote) {
  CsvImport import;
  try {
    import = session.readCsv(path);
  } catch (const K52Error& e) {
    badInput(path, e.detail());
    return std::nullopt;
  }
  if (!import.readable) {
    badInput(path, session.context().text(kTextCsvNotAList));
    return std::nullopt;
  }
  for (const QString& line : csvImportReport(session.context(), import))
    printErr(QStringLiteral("k52cli: %1: %2").arg(QDir::toNativeSeparators(path), line));
  if (import.anyRefused() && !skipBad) {
    printErr(QStringLiteral("k52cli: ") + refusedNote);
    return std::nullopt;
  }
  return import;
}

struct Options {
  QString command;
  QStringList files;
  std::optional<int16_t> lang;
  QString programFolder;
  QString port, start, end;
  bool json = false;
  bool skipBad = false;
  QStringList ports;  // batch-write
  bool verify = false;
  QString log;
};

bool isTransfer(const QString& command) {
  return command == QLatin1String("read") || command == QLatin1String("write") || command == QLatin1String("verify");
}

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
    } else if (takeValue(QStringLiteral("--port"))) {
      if (value.isEmpty()) return QStringLiteral("--port takes a device or COMn");
      o.port = value;
    } else if (takeValue(QStringLiteral("--start"))) {
      if (value.isEmpty()) return QStringLiteral("--start takes a hexadecimal address");
      o.start = value;
    } else if (takeValue(QStringLiteral("--end"))) {
      if (value.isEmpty()) return QStringLiteral("--end takes a hexadecimal address");
      o.end = value;
    } else if (takeValue(QStringLiteral("--ports"))) {
      o.ports = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
      if (o.ports.isEmpty()) return QStringLiteral("--ports takes devices or COMn, separated by commas");
    } else if (takeValue(QStringLiteral("--log"))) {
      if (value.isEmpty()) return QStringLiteral("--log takes a file");
      o.log = value;
    } else if (a == QLatin1String("--verify")) {
      o.verify = true;
    } else if (a == QLatin1String("--json")) {
      o.json = true;
    } else if (a == QLatin1String("--skip-bad")) {
      o.skipBad = true;
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
  } else if (o.command == QLatin1String("diff")) {
    if (o.files.size() != 2) return QStringLiteral("diff takes two data files");
  } else if (o.command == QLatin1String("export")) {
    if (o.files.size() != 2) return QStringLiteral("export takes a data file and a CSV file");
  } else if (o.command == QLatin1String("import")) {
    if (o.files.size() != 3) return QStringLiteral("import takes a CSV file, a base data file and an output file");
  } else if (isTransfer(o.command)) {
    if (o.files.size() != 1) return QStringLiteral("%1 takes one data file").arg(o.command);
    if (o.port.isEmpty()) return QStringLiteral("%1 needs --port DEV").arg(o.command);
  } else if (o.command == QLatin1String("batch-write")) {
    if (o.files.size() != 1) return QStringLiteral("batch-write takes one data file or CSV channel list");
    if (o.ports.isEmpty()) return QStringLiteral("batch-write needs --ports DEV1,DEV2,...");
    if (!o.port.isEmpty()) return QStringLiteral("batch-write takes --ports, not --port");
  } else {
    return QStringLiteral("unknown command %1").arg(o.command);
  }
  const bool batch = o.command == QLatin1String("batch-write");
  if (!isTransfer(o.command) && !batch && (!o.port.isEmpty() || !o.start.isEmpty() || !o.end.isEmpty()))
    return QStringLiteral("--port, --start and --end belong to read, write, verify and batch-write");
  if (!batch && (!o.ports.isEmpty() || o.verify || !o.log.isEmpty()))
    return QStringLiteral("--ports, --verify and --log belong to batch-write");
  if (o.json && o.command != QLatin1String("diff")) return QStringLiteral("--json belongs to diff");
  if (o.skipBad && o.command != QLatin1String("import")) return QStringLiteral("--skip-bad belongs to import");
  return {};
}

// Opens the data file as the program does. Returns the problem, or an empty text.
QString openDataFile(Session& session, const QString& path) {
  try {
    session.openFile(path);
  } catch (const K52Error& e) {
    return e.detail();
  }
  return {};
}

// Whether a data file can be written at path (checked before any work is done). Returns
// the problem, or an empty text.
QString outputProblem(const QString& path) {
  try {
    checkImageTarget(path);
  } catch (const K52Error& e) {
    return e.detail();
  }
  return {};
}

QJsonObject toJson(const Session& session) {
  const AppContext& ctx = session.context();
  QJsonObject band;
  band[QStringLiteral("index")] = ctx.band.BandIndex;
  band[QStringLiteral("lower")] = ctx.band.LowerLimit;
  band[QStringLiteral("upper")] = ctx.band.UpperLimit;

  const int count = std::clamp<int>(ctx.ch.ChCount, 0, kChRows);
  QJsonArray channels;
  for (int n = 1; n <= count; ++n) {
    const auto& ci = ctx.ch.ChInfo;
    QJsonObject c;
    c[QStringLiteral("n")] = n;
    c[QStringLiteral("rx")] = ci(n, 1);
    c[QStringLiteral("tx")] = ci(n, 2);
    c[QStringLiteral("decode")] = ci(n, 3);
    c[QStringLiteral("encode")] = ci(n, 4);
    c[QStringLiteral("options")] = QJsonArray{ci(n, 5), ci(n, 6), ci(n, 7)};
    c[QStringLiteral("name")] = session.channelName(static_cast<int16_t>(n));
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

// Writes the file (as read from the radio, or the session saved as the program saves it);
// a failure leaves any earlier file as it was.
bool writeOutput(const QString& path, const std::function<void()>& write) {
  try {
    write();
  } catch (const K52Error& e) {
    printErr(QStringLiteral("k52cli: %1: %2").arg(QDir::toNativeSeparators(path), e.detail()));
    return false;
  }
  return true;
}

// Arguments are file names and devices: one the file system's encoding cannot give back
// as the same bytes would open, or be written as, another file. Returns false (and says
// so) when one cannot.
bool argumentsAreNames(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray raw(argv[i]);
    if (QFile::encodeName(QFile::decodeName(raw)) == raw) continue;
    std::fputs("k52cli: ", stderr);
    std::fwrite(raw.constData(), 1, static_cast<size_t>(raw.size()), stderr);
    std::fputs(": the name cannot be read in the file system's encoding; rename the file\n", stderr);
    return false;
  }
  return true;
}

void printLog(const AppContext& ctx) {
  for (const QString& line : ctx.log.lines()) printErr(line);
}

// The device of --port: a path as given, or "COMn" mapped as the program maps it. Returns
// the problem, or an empty text.
QString resolvePort(const AppContext& ctx, const QString& port, QString& device) {
  static const QRegularExpression comN(QStringLiteral("^COM(\\d{1,2})$"), QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = comN.match(port);
  if (!m.hasMatch()) {
    device = port;
    return {};
  }
  const int n = m.captured(1).toInt();
  if (n < 1 || n > kPortCount) return QStringLiteral("port numbers are COM1 ... COM%1").arg(kPortCount);
  device = comDevices(ctx.ini, listedSerialDevices()).at(n - 1);
#ifdef Q_OS_WIN
  return {};
#else
  return device.isEmpty() ? QStringLiteral("no device for this port number (settings section \"Ports\", key \"COM%1\")").arg(n)
                          : QString();
#endif
}

// --start and --end into the range of the direction; the settings file's range stays
// where an address is not given. Returns the problem, or an empty text.
QString applyRange(AppContext& ctx, const Options& o) {
  const bool read = o.command == QLatin1String("read");
  int16_t& start = read ? ctx.st.ReadStartAddr : ctx.st.WriteStartAddr;
  int16_t& end = read ? ctx.st.ReadEndAddr : ctx.st.WriteEndAddr;
  for (const auto& [text, value, name] : {std::tuple{o.start, &start, "--start"}, std::tuple{o.end, &end, "--end"}}) {
    if (text.isEmpty()) continue;
    try {
      *value = hexTextToInt16(text);
    } catch (const K52Error&) {
      return QStringLiteral("%1 %2: not a hexadecimal address 0 ... 7FFF").arg(QString::fromLatin1(name), text);
    }
  }
  if (start > end) return QString::asprintf("the range %04X-%04X is empty", start, end);
  return {};
}

// The differences, a line each in words or a JSON array; the programming date apart (on
// standard error in words, left out of the JSON).
void printComparison(const ConfigComparison& c, bool json) {
  if (json) {
    QJsonArray list;
    for (const Difference& d : c.differences)
      list.append(QJsonObject{{QStringLiteral("where"), d.where}, {QStringLiteral("field"), d.fieldName},
                              {QStringLiteral("a"), d.textA}, {QStringLiteral("b"), d.textB}});
    const QByteArray out = QJsonDocument(list).toJson(QJsonDocument::Indented);
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
  } else {
    for (const Difference& d : c.differences) {
      const QByteArray line = QStringLiteral("%1: %2: %3 -> %4\n").arg(d.where, d.fieldName, d.textA, d.textB).toUtf8();
      std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    }
  }
  for (const Difference& d : c.stamps)
    printErr(QStringLiteral("k52cli: %1 (set by every write, not a difference): %2 -> %3").arg(d.where, d.textA, d.textB));
}

// diff: two data files field by field.
int runDiff(Session& session, const Options& o) {
  Configuration configs[2];
  for (int i = 0; i < 2; ++i) {
    try {
      configs[i] = session.configurationOfFile(o.files[i]);
    } catch (const K52Error& e) {
      return badInput(o.files[i], e.detail());
    }
  }
  const ConfigComparison c = compareConfigurations(configs[0], configs[1], session.diffWords());
  printComparison(c, o.json);
  return c.equal() ? kExitOk : kExitWriteFailed;
}

// verify: the radio read back over the write range and set beside the file as written.
int runVerify(Session& session, const Options& o, const QString& device) {
  AppContext& ctx = session.context();
  const QString& file = o.files[0];
  if (const QString problem = openDataFile(session, file); !problem.isEmpty()) return badInput(file, problem);
  ProgressOnStderr progress("verify");
  const Session::Verified v = session.verifyRadio(device, progress);
  progress.transferStopped();
  printLog(ctx);
  switch (v.readBack.transfer.end) {
    case TransferEnd::Succeeded:
      break;
    case TransferEnd::PortNotOpened:
      printErr(QStringLiteral("k52cli: %1: %2").arg(o.port, v.readBack.transfer.portFault));
      return ctx.port->lastFault() == PortFault::NotFound ? kExitBadInput : kExitWriteFailed;
    case TransferEnd::Refused:
      printErr(QString::asprintf("k52cli: the range reaches %04X-%04X, outside the image", v.readBack.transfer.outside.start,
                                 v.readBack.transfer.outside.end));
      return kExitBadInput;
    default:
      printErr(QStringLiteral("k52cli: ") + ctx.text(79));
      return kExitWriteFailed;
  }
  printComparison(v.comparison, false);
  return v.comparison.equal() ? kExitOk : kExitWriteFailed;
}

// read and write: the program's transfer on the named port, without windows.
int runTransfer(Session& session, NeverAskDialogs& dialogs, const Options& o) {
  AppContext& ctx = session.context();
  const bool read = o.command == QLatin1String("read");
  session.prepareTransfers();
  if (const QString problem = applyRange(ctx, o); !problem.isEmpty()) return usage(problem);
  QString device;
  if (const QString problem = resolvePort(ctx, o.port, device); !problem.isEmpty()) return badInput(o.port, problem);
  ctx.port = std::make_unique<SerialDevice>();
  if (o.command == QLatin1String("verify")) return runVerify(session, o, device);
  const QString& file = o.files[0];
  // Where the read goes is checked before the radio is spoken to.
  if (read) {
    if (const QString problem = outputProblem(file); !problem.isEmpty()) return badInput(file, problem);
  } else {
    // Opening the file, as the program does before the user writes it.
    if (const QString problem = openDataFile(session, file); !problem.isEmpty()) return badInput(file, problem);
  }

  // The notices of the transfer (a failed one says so) go to standard error.
  dialogs.onMessage = [](const QString& prompt, MsgButtons buttons) {
    if (buttons == MsgButtons::Ok) printErr(QStringLiteral("k52cli: ") + prompt);
  };
  ProgressOnStderr progress(read ? "read" : "write");
  TransferPort port{device, {}};
  const TransferEnd end = read ? session.readRadio(progress, &port) : session.writeRadio(progress, &port);
  dialogs.onMessage = nullptr;
  printLog(ctx);
  switch (end) {
    case TransferEnd::Succeeded:
      break;
    case TransferEnd::PortNotOpened: {
      const PortFault fault = ctx.port->lastFault();
      printErr(QStringLiteral("k52cli: %1").arg(port.openFailure.isEmpty() ? o.port : port.openFailure));
      return fault == PortFault::NotFound ? kExitBadInput : kExitWriteFailed;
    }
    case TransferEnd::Refused:  // the message said why
      return kExitBadInput;
    case TransferEnd::Failed:  // message 79 was printed
      return kExitWriteFailed;
    case TransferEnd::Stopped:
    case TransferEnd::Broken:
      printErr(QStringLiteral("k52cli: ") + ctx.text(79));
      return kExitWriteFailed;
  }
  if (read) {
    // The file holds what the radio holds, byte for byte, as the backup does.
    if (!writeOutput(file, [&] { writeImageFile(file, progress.read); })) return kExitWriteFailed;
    // The file is there, but the copy the program keeps of every read is not: say so, and
    // let the exit status say so too.
    if (progress.backup.isEmpty()) {
      printErr(QStringLiteral("k52cli: %1: the read was not kept in the backup folder (see above)")
                   .arg(QDir::toNativeSeparators(backupFolder(ctx))));
      return kExitWriteFailed;
    }
  }
  return kExitOk;
}

// batch-write: every port a unit of its own, all at once, each on its own thread.
int runBatch(Session& session, const Options& o) {
  AppContext& ctx = session.context();
  session.prepareTransfers();
  if (const QString problem = applyRange(ctx, o); !problem.isEmpty()) return usage(problem);
  QStringList devices;
  for (const QString& p : o.ports) {
    QString device;
    if (const QString problem = resolvePort(ctx, p, device); !problem.isEmpty()) return badInput(p, problem);
#ifndef Q_OS_WIN
    // As the port opens it: a name without a slash that is not here is one in /dev.
    if (!QFileInfo::exists(device) && (device.contains(QLatin1Char('/')) || !QFileInfo::exists(QStringLiteral("/dev/") + device)))
      return badInput(p, QStringLiteral("no such device"));
#endif
    if (devices.contains(device)) return badInput(p, QStringLiteral("the port is named twice"));
    devices << device;
  }
  const QString& in = o.files[0];
  if (in.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
    // A channel list goes onto the default image the session started with.
    const std::optional<CsvImport> import = readCsvReported(session, in, false, QStringLiteral("no radio written"));
    if (!import) return kExitBadInput;
    session.replaceChannels(import->channels);
  } else if (const QString problem = openDataFile(session, in); !problem.isEmpty()) {
    return badInput(in, problem);
  }
  if (!o.log.isEmpty()) {
    // The log must take the rows before any radio is written.
    QFile log(o.log);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) return badInput(o.log, log.errorString());
  }
  printLog(ctx);

  UnitJob job;
  job.image = session.imageForWrite();
  job.written = {ctx.st.WriteStartAddr, ctx.st.WriteEndAddr};
  job.verify = o.verify;
  job.firstDifference = session.firstDifference();
  const UnitDevices made{[] { return std::make_unique<SerialDevice>(); }, [] { return std::make_unique<SystemClock>(); }};
  std::vector<std::unique_ptr<UnitRunner>> units;
  int running = 0;
  int status = kExitOk;
  for (const QString& device : devices) {
    auto unit = std::make_unique<UnitRunner>(made);
    QObject::connect(unit.get(), &UnitRunner::finished, [&](const UnitResult& r) {
      QString line = QStringLiteral("%1 %2 %3 s").arg(r.port, r.passed() ? QStringLiteral("passed") : QStringLiteral("failed"),
                                                     QString::number(static_cast<double>(r.durationMs) / 1000.0, 'f', 1));
      if (!r.passed()) line += QStringLiteral(": ") + unitFailureWords(r);
      const QByteArray b = line.toUtf8() + '\n';
      std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stdout);
      std::fflush(stdout);
      for (const UnitFault& f : r.faults)
        printErr(QStringLiteral("k52cli: %1: %2 %3 %4").arg(r.port, f.procName).arg(f.number).arg(f.source));
      if (!r.passed()) status = kExitWriteFailed;
      if (!o.log.isEmpty() && !guarded(ctx.log, "modUnitLog->AppendUnit", [&] { appendUnitLog(o.log, r, detailsOf(r.port, listedSerialDeviceDetails()).serialNumber); })) {
        printLog(ctx);
        status = kExitWriteFailed;
      }
      if (--running == 0) QCoreApplication::quit();
    });
    job.port = device;
    units.push_back(std::move(unit));
    ++running;
    units.back()->start(job);
  }
  QCoreApplication::exec();
  return status;
}

// export and import: the channel table as a CSV channel list, and back over a base file.
int runCsv(Session& session, const Options& o) {
  AppContext& ctx = session.context();
  session.prepareTransfers();  // the language texts of the report
  const bool exporting = o.command == QLatin1String("export");
  const QString& dat = exporting ? o.files[0] : o.files[1];
  const QString& out = exporting ? o.files[1] : o.files[2];
  if (const QString problem = openDataFile(session, dat); !problem.isEmpty()) return badInput(dat, problem);
  if (const QString problem = outputProblem(out); !problem.isEmpty()) return badInput(out, problem);
  int status = kExitOk;
  if (exporting) {
    if (!writeOutput(out, [&] { session.exportCsv(out); })) status = kExitWriteFailed;
    printLog(ctx);
    return status;
  }
  const std::optional<CsvImport> import = readCsvReported(session, o.files[0], o.skipBad,
                                                                QStringLiteral("nothing written (--skip-bad imports the other rows)"));
  if (!import) return kExitBadInput;
  session.replaceChannels(import->channels);
  if (!writeOutput(out, [&] { session.saveFile(out); })) status = kExitWriteFailed;
  printLog(ctx);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (!argumentsAreNames(argc, argv)) return kExitBadInput;
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
  // The program's rule: a program folder the user may not write to has the user's own
  // settings file (when the program has made it) and data root.
  const ProgramFiles files = locateProgramFiles(o.programFolder);
  const QString settings = settingsFileToRead(files);
  if (!QFileInfo(settings).isFile()) return badInput(settings, QStringLiteral("no settings file"));

  SystemClock clock;
  NeverAskDialogs dialogs;
  AppContext ctx(clock, dialogs, o.programFolder);
  ctx.files = files;
  Session session(ctx);
  session.startWithoutWindows(o.lang);
  // An image smaller than the memory (a small "DatNum") would decode wrong and save cut files.
  if (ctx.IicDat.size() < addr::kMemorySize)
    return badInput(settings,
                    QStringLiteral("\"DatNum\" %1 leaves the image short of the memory 0000-1FFF").arg(ctx.st.DatNum));
  if (isTransfer(o.command)) return runTransfer(session, dialogs, o);
  if (o.command == QLatin1String("batch-write")) return runBatch(session, o);
  if (o.command == QLatin1String("diff")) return runDiff(session, o);
  if (o.command == QLatin1String("export") || o.command == QLatin1String("import")) return runCsv(session, o);

  const QString& in = o.files[0];
  try {
    session.loadImageFile(in);
  } catch (const K52Error& e) {
    return badInput(in, e.detail());
  }
  if (o.command == QLatin1String("normalize"))
    if (const QString problem = outputProblem(o.files[1]); !problem.isEmpty()) return badInput(o.files[1], problem);
  // Opening a file: the band follows the image, then channels and options are decoded.
  session.selectBandFromImage();
  session.decodeImage();

  int status = kExitOk;
  if (o.command == QLatin1String("decode")) {
    const QByteArray json = QJsonDocument(toJson(session)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
  } else {
    if (!writeOutput(o.files[1], [&] { session.saveFile(o.files[1]); })) status = kExitWriteFailed;
  }
  printLog(ctx);
  return status;
}
