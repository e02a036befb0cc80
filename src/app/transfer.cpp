#include "app/transfer.h"

#include "app/backup.h"
#include "core/datafiles.h"
#include "core/imagetransfer.h"
#include "app/session.h"
#include "app/protocol.h"
#include "app/comports.h"
#include "core/guarded.h"
#include "core/addressmap.h"
#include "core/byteview.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/serialport.h"
#include "app/diffrows.h"
#include "core/writeverify.h"
#include "core/langtexts.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <utility>

namespace k52 {

namespace {

// The waits at the end of every transfer, before the window hides.
constexpr int16_t kEndDelayMs = 200;
constexpr int16_t kEndSleepMs = 300;

// Image fields that only communication touches.
constexpr int kDateAddr = addr::kLastWriteDate;
constexpr int kSoftVerAddr = addr::kSoftVersion;

// The status bar's notices after a transfer that went through.
constexpr int kTextReadDone = 408;   // "Read from the radio."
constexpr int kTextWriteDone = 409;  // "Written to the radio."

// The engine shows its traffic in the transfer's view while the transfer runs.
class TrafficScope {
 public:
  TrafficScope(CommState& com, TrafficView& view) : com_(com), saved_(std::exchange(com.traffic, &view)) {}
  ~TrafficScope() { com_.traffic = saved_; }
  TrafficScope(const TrafficScope&) = delete;
  TrafficScope& operator=(const TrafficScope&) = delete;

 private:
  CommState& com_;
  TrafficView* saved_;
};

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

// The message of a range the image cannot hold, in the interface language.
QString outsideImageText(int16_t lang, int from, int to, int upper) {
  const char* pattern =
      lang == 1   ? "地址范围 %1-%2H 超出内存映像 (0000-%3H)，未进行通信。请修改地址范围。"
      : lang == 2 ? "地址範圍 %1-%2H 超出記憶體映像 (0000-%3H)，未進行通訊。請修改地址範圍。"
                  : "The address range %1-%2H lies outside the memory image (0000-%3H). Nothing was sent; "
                    "please correct the address range.";
  return QString::fromUtf8(pattern).arg(hex4(from), hex4(to), hex4(upper));
}

bool refuseRange(AppContext& ctx, int dir) {
  const QString problem = rangeProblem(ctx, dir);
  if (problem.isEmpty()) return false;
  ctx.dialogs.messageBox(problem, MsgButtons::Ok, MsgIcon::Exclamation, ctx.text(70));
  return true;
}

// OpenCom with ComNo, or the device the caller named. False when the port did not open.
bool openPort(AppContext& ctx, TransferPort* named) {
  if (!named || named->device.isEmpty()) {
    OpenCom(ctx);
    return !ctx.com.PortError;
  }
  SerialPort& port = *ctx.port;
  if (port.isOpen()) port.close();
  ctx.com.PortError = !port.open(named->device);
  if (ctx.com.PortError) named->openFailure = port.lastFaultText();
  return !ctx.com.PortError;
}

// Runs every script of the direction over the program's engine; the seventh failed run
// is told while the port is still open.
TransferEnd runScripts(AppContext& ctx, TransferView& view, int dir, MemoryImage& image) {
  const TransferOutcome out = transferImage(commEngine(ctx), ctx.com.scripts, dir, image, view);
  ctx.com.ComFailCnt = static_cast<int16_t>(out.failures);
  if (out.end == TransferEnd::Failed)
    ctx.dialogs.messageBox(ctx.text(79), MsgButtons::Ok, MsgIcon::Exclamation, ctx.text(70));
  return out.end;
}

// The end of every transfer that ran: the closing waits, then the window hides.
void finishTransfer(AppContext& ctx, TransferView& view) {
  DelayNms(ctx, kEndDelayMs);
  DelayNms(ctx, kEndSleepMs);
  view.transferFinished();
}

// The port is closed and the window accepts input again, also after a fault.
void stopTransfer(AppContext& ctx, TransferView& view) {
  CloseCom(ctx);
  view.transferStopped();
}

// The frame both directions share: preparation, the range refusal, the port, and a port
// closed again whatever happens. `scripts` runs with the port open and gives the outcome;
// `closed` sees that outcome once the port is closed, before the closing waits. A fault
// anywhere ends as Broken, with the port closed if it was open.
template <class Scripts, class Closed>
TransferEnd runTransfer(AppContext& ctx, TransferView& view, TransferPort* port, int dir, const char* where,
                        Scripts scripts, Closed closed) {
  TransferEnd end = TransferEnd::Broken;
  bool running = false;
  TrafficScope traffic(ctx.com, view);
  const bool ran = guarded(ctx.log, where, [&] {
    InitProtocol(ctx);
    ctx.com.ComFailCnt = 0;
    if (refuseRange(ctx, dir)) {
      end = TransferEnd::Refused;
      return;
    }
    view.transferStarting(dir == kWriteDir);
    running = true;
    if (!openPort(ctx, port)) {
      running = false;
      view.transferStopped();
      end = TransferEnd::PortNotOpened;
      return;
    }
    end = scripts();
    running = false;
    stopTransfer(ctx, view);
    closed(end);
    finishTransfer(ctx, view);
  });
  if (!ran) {
    if (running) stopTransfer(ctx, view);
    end = TransferEnd::Broken;
  }
  return end;
}

bool verifyAfterWrite(const AppContext& ctx) {
  return ctx.ini.read(QStringLiteral("Setting"), QStringLiteral("VerifyAfterWrite"), QStringLiteral("0")).trimmed() == QLatin1String("1");
}

}  // namespace

QString rangeProblem(const AppContext& ctx, int dir) {
  const int upper = ctx.IicDat.upper();
  const AddressRange out = outsideImage(ctx.com.scripts, dir, upper);
  return out.end < 0 ? QString() : outsideImageText(ctx.st.CurLang, out.start, out.end, std::max(upper, 0));
}

QStringList comDataLines(int16_t dir, const QByteArray& block) {
  const QString first = dir == 0 ? QStringLiteral("Tx: ") : QStringLiteral("Rx: ");
  QStringList lines;
  QString text;
  for (qsizetype i = 0; i < block.size(); ++i) {
    text += byteHex(static_cast<uint8_t>(block[i]));
    text += QLatin1Char(' ');
    if (i == 3) {
      lines << first + text;
      text.clear();
    } else if (i > 3 && (i - 3) % 16 == 0) {
      lines << QStringLiteral("       ") + text;
      text.clear();
    }
  }
  if (!text.isEmpty()) lines << (block.size() <= 3 ? first : QStringLiteral("    ")) + text;
  return lines;
}

void WriteComDat(AppContext& ctx) {
  guarded(ctx.log, "modCommun->WriteComDat", [&] {
    stampWriteDate(ctx.IicDat, ctx.clock.now().date());
  });
}

QString softVerText(const MemoryImage& image) {
  const ByteView view(image);
  const int major = view.field(kSoftVerAddr, 0xF0), minor = view.field(kSoftVerAddr, 0x0F);
  const int year = view.field(kSoftVerAddr + 1, 0xF0), month = view.field(kSoftVerAddr + 1, 0x0F);
  const int day = view.byte(kSoftVerAddr + 2);
  return QStringLiteral("V%1.%2 -- 20%3.%4.%5").arg(major).arg(minor).arg(twoDigits(year), twoDigits(month), twoDigits(day));
}

QString comDatText(const AppContext& ctx) {
  const ByteView view(ctx.IicDat);
  const int y = view.byte(kDateAddr), m = view.byte(kDateAddr + 1), d = view.byte(kDateAddr + 2);
  // An erased radio (FF FF FF), and any date that is no calendar date, is unknown.
  if (y > 50 || m < 1 || m > 12 || d < 1 || d > 31) return ctx.text(179);
  // The year within the century keeps its tens digit: 5 is 2005.
  return QStringLiteral("20%1.%2.%3").arg(twoDigits(y)).arg(m).arg(d);
}

void ShowSoftVer(AppContext& ctx) {
  guarded(ctx.log, "modCommun->ShowSoftVer", [&] { ctx.views->showSoftVersion(softVerText(ctx.IicDat)); });
}

void ShowComDat(AppContext& ctx) {
  guarded(ctx.log, "modCommun->ShowComDat", [&] { ctx.views->showLastProgrammed(comDatText(ctx)); });
}

TransferEnd cmdRead_Click(AppContext& ctx, TransferView& view, TransferPort* port) {
  return runTransfer(
      ctx, view, port, kReadDir, "frmCommun->cmdRead_Click",
      [&] { return runScripts(ctx, view, kReadDir, ctx.IicDat); },
      [&](TransferEnd end) {
        if (end != TransferEnd::Succeeded) return;
        view.imageRead(ctx.IicDat.toByteArray());
        view.backupWritten(SaveReadBackup(ctx));
        SoftDisplay(ctx);
        MarkConfigReplaced(ctx);
        ShowSoftVer(ctx);
        ShowComDat(ctx);
        if (view.showMemoryData()) view.TableFreDat();
        ctx.views->setStatusNotice(ctx.text(kTextReadDone));
      });
}

TransferEnd readRadioCopy(AppContext& ctx, TransferView& view, MemoryImage& copy, TransferPort* port) {
  return runTransfer(
      ctx, view, port, kReadDir, "frmCommun->readRadioCopy", [&] { return runScripts(ctx, view, kReadDir, copy); },
      [](TransferEnd) {});
}

TransferEnd cmdWrite_Click(AppContext& ctx, TransferView& view, TransferPort* port) {
  std::optional<ReadBack> readBack;
  return runTransfer(
      ctx, view, port, kWriteDir, "frmCommun->cmdWrite_Click",
      [&] {
        // The edited configuration goes into the image, with the limit and today's date.
        SetConvIicDat(ctx);
        limitWriteByte(ctx.IicDat);
        WriteComDat(ctx);
        if (view.showMemoryData()) view.TableFreDat();
        const TransferEnd end = runScripts(ctx, view, kWriteDir, ctx.IicDat);
        if (end == TransferEnd::Succeeded && verifyAfterWrite(ctx))
          readBack = readBackWritten(commEngine(ctx), {ctx.st.WriteStartAddr, ctx.st.WriteEndAddr}, ctx.IicDat, view);
        return end;
      },
      [&](TransferEnd end) {
        if (end != TransferEnd::Succeeded) return;
        ShowComDat(ctx);  // the date just written
        if (!readBack) {
          ctx.views->setStatusNotice(ctx.text(kTextWriteDone));
          return;
        }
        if (readBack->passed()) {
          ctx.views->setStatusNotice(ctx.text(kTextVerifyPassed));
          return;
        }
        // The first field that differs names the failure; a read-back that failed, message 79.
        QString first = ctx.text(79);
        if (readBack->transfer.end == TransferEnd::Succeeded && readBack->read != readBack->expected) {
          const Session s(ctx);
          const ConfigComparison c = compareConfigurations(s.configurationOf(readBack->expected), s.configurationOf(readBack->read));
          // Only the programming date can differ when no field does.
          const DiffRow row = diffRow(ctx, c.differences.empty() ? c.stamps.front() : c.differences.front());
          first = QStringList{row.where, row.field, row.a + QStringLiteral(" / ") + row.b}.filter(QRegularExpression(QStringLiteral("\\S"))).join(QStringLiteral(": "));
        }
        ctx.dialogs.messageBox(ctx.text(kTextVerifyFailed).arg(first), MsgButtons::Ok, MsgIcon::Exclamation, ctx.text(kTextNotice));
      });
}

}  // namespace k52
